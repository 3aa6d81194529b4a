#pragma once
// One conversion batch, decided here and shown through BatchHost. Portable:
// the window and the file system stand behind the host.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "conversion/command_line.h"
#include "conversion/file_identity.h"
#include "conversion/passed_paths.h"

namespace conversion {

struct RunResult {
    bool started = false;        // false: the process could not be created
    std::uint32_t exitCode = 0;  // valid when started
    bool ended = false;          // ended by a stop before it finished; never let run when not started
    std::wstring output{};       // its last non-empty output line, shaped for the log
    std::wstring failure{};      // the system's words when it could not be started, or not waited for
};

// The queue entry a log line tells of, so the window can find its files.
struct LineFile {
    int entry = -1;            // its place in the queue
    std::wstring source;       // the entry itself
    std::wstring destination;  // what the converter was told to write; empty before that
    bool converted = false;    // the line ends in DONE
};

// A file step of an entry's run: empty when done, else the system's words;
// `stopped` when "Stop now" cut it short, and nothing it began is left.
struct FileStep {
    std::wstring failure;
    bool stopped = false;
};

// Where a converted file goes: `from` is what the converter wrote; `staging`
// is `from` where that lies in the destination's folder, else a reserved name
// there that it is copied to first; `backup` a reserved name there for what
// was at `to`, or empty.
struct Placement {
    std::wstring from, staging, backup, to;
};

class BatchHost : public PathSeams {
public:
    // File system
    virtual bool FileExists(const std::wstring& path) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    // What is at a destination: absent only when the system says so.
    virtual FileState DestinationState(const std::wstring& path) = 0;
    // True when both paths name one file (full path compared case-insensitively,
    // and by file identity when the destination exists). `destinationState` is
    // what DestinationState has just said of it: its identity, where known, is the destination's.
    virtual bool SameFile(const std::wstring& source, const std::wstring& destination,
                          const FileState& destinationState) = 0;
    // The full path in one case, so that two spellings of one destination are equal.
    virtual std::wstring PathKey(const std::wstring& path) = 0;
    // Deletes a file; true when it is gone (also when it was never there), as
    // far as the system says so.
    virtual bool RemoveFile(const std::wstring& path) = 0;
    // Deletes a temporary file of this program's, read-only or not, trying
    // again for a moment: empty once it is gone, else the system's words.
    virtual std::wstring RemoveTemporary(const std::wstring& path) = 0;
    // Copies the source over its reserved copy and makes that plain and writable.
    virtual FileStep CopyForConverter(const std::wstring& source, const std::wstring& copy) = 0;
    // Puts a whole converted file in place: an earlier one at `to` is replaced
    // only once the new one is complete in its folder, and is never missing after.
    virtual FileStep MoveIntoPlace(const Placement& placement) = 0;
    // Starts the converter of the entry and returns at once; NextEnded says when it has ended (or was
    // ended by a stop). Several may run at once.
    virtual void StartRun(int entry, const ConverterCall& call) = 0;
    // Waits for one started converter to end: its entry, and how it went.
    virtual std::pair<int, RunResult> NextEnded() = 0;
    // Ends every running converter at once, as "Stop now" does.
    virtual void EndRuns() = 0;
    // The user asked to stop: no further converter is started.
    virtual bool StopRequested() = 0;
    // Status log: every write also scrolls the last line into view and repaints.
    // A line about one entry carries it; only such a line is ever replaced.
    virtual void AppendLine(const std::wstring& line) = 0;
    virtual void AppendFileLine(const std::wstring& line, const LineFile& file) = 0;
    virtual void ReplaceLastLine(const std::wstring& line, const LineFile& file) = 0;
    // Progress bar: the range is always 0..maximum; a value write repaints.
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressValue(int value) = 0;
};

struct BinToTextJob {
    std::vector<std::wstring> queue;
    bool outputToSourceFolder = false;  // chkBinOut: output beside each source, not in outputFolder
    std::wstring outputFolder;          // txtBinOut
    std::wstring extension;             // txtExt
    std::wstring toolFolder;            // folder of this program, where the converter lies
    int atOnce = 1;                     // how many converters may run at once
};

struct TextToBinJob {
    std::vector<std::wstring> queue;
    std::wstring outputFolder;  // txtTxtOut
    std::wstring toolFolder;
    int atOnce = 1;
};

void RunBinToTextBatch(const BinToTextJob& job, BatchHost& host);
void RunTextToBinBatch(const TextToBinJob& job, BatchHost& host);

// "DONE", "FAILED (...)" or "STOPPED (...)": the tail of a processed entry's line.
// `incomplete` names a destination that an ended converter may have left half written.
std::wstring OutcomeText(const RunResult& result, const std::wstring& incomplete = {});

}  // namespace conversion
