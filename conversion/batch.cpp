#include "conversion/batch.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "common/message_text.h"
#include "common/paths.h"
#include "conversion/ansi_arguments.h"

namespace conversion {
namespace {

// The log's own wording, kept as users know it.
constexpr wchar_t kOutputFolderMissing[] = L"Output folder does not exists";

// The checks every batch makes before its first entry. False: the batch
// ends here, after its reason has been logged.
bool ConverterFound(const std::wstring& toolFolder, BatchHost& host) {
    const std::wstring converter = ConverterPath(toolFolder);
    if (host.FileExists(converter)) return true;
    host.AppendLine(L"Converter not found: " + converter);
    return false;
}

bool OutputFolderFound(const std::wstring& folder, BatchHost& host) {
    if (host.FolderExists(folder)) return true;
    host.AppendLine(kOutputFolderMissing);
    return false;
}

// STATUS_CONTROL_C_EXIT: the system told the converter's console to end, as
// it does when the Windows session ends.
constexpr std::uint32_t kConsoleEnded = 0xC000013A;

enum class Outcome { Done, NotDone, Ended, Running };

// The status log in queue order, whatever order the entries end in: an
// entry's lines are written once every entry before it has its last line, and
// are held until then. So the log reads as it would one file at a time, and
// its last line is the earliest entry not yet over, whose place the progress
// bar shows.
class OrderedLog {
public:
    OrderedLog(BatchHost& host, int count) : host_(host), entries_(static_cast<std::size_t>(count)) {}

    // The batch has come to the entry: its place shows once it leads the log.
    void Reach(int entry) {
        At(entry).reached = true;
        Show();
    }
    void AppendFileLine(const std::wstring& line, const LineFile& file) { Add({Line::File, line, file}); }
    void ReplaceLastLine(const std::wstring& line, const LineFile& file) { Add({Line::Replace, line, file}); }
    // A line of its own about the entry, after its line.
    void AppendLine(const std::wstring& line, const LineFile& file) { Add({Line::Plain, line, file}); }
    // The entry has its last line: the ones after it may show theirs.
    void Final(int entry) {
        At(entry).final = true;
        Show();
    }

private:
    struct Line {
        enum Kind { File, Replace, Plain } kind;
        std::wstring text;
        LineFile file;
    };
    struct Entry {
        bool reached = false, final = false, shown = false;
        std::vector<Line> held;
    };
    Entry& At(int entry) { return entries_[static_cast<std::size_t>(entry)]; }
    void Add(Line line) {
        At(line.file.entry).held.push_back(std::move(line));
        Show();
    }
    // Writes what the leading entries hold, and moves on past each that is over.
    void Show() {
        while (head_ < static_cast<int>(entries_.size())) {
            Entry& entry = At(head_);
            if (!entry.reached) return;
            if (!entry.shown) host_.SetProgressValue(head_ + 1), entry.shown = true;
            for (const Line& line : entry.held) {
                if (line.kind == Line::File) host_.AppendFileLine(line.text, line.file);
                if (line.kind == Line::Replace) host_.ReplaceLastLine(line.text, line.file);
                if (line.kind == Line::Plain) host_.AppendLine(line.text);
            }
            entry.held.clear();
            if (!entry.final) return;
            ++head_;
        }
    }

    BatchHost& host_;
    std::vector<Entry> entries_;
    int head_ = 0;
};

// One entry from the start of its converter to its end.
struct Run {
    LineFile line;
    std::wstring processing, key;
    PassedCall passed;
    FileState before, reserved;
    std::vector<std::wstring> temporaries;
    std::vector<std::wstring> files;  // what it reads and writes, by PathKey
};

// Hands the entries of one batch to the converter, in queue order.
class EntryConverter {
public:
    EntryConverter(BatchHost& host, OrderedLog& log) : host_(host), log_(log) {}

    // Starts the converter on one entry whose probes passed, unless that would
    // destroy its source, overwrite what an earlier entry of this batch has
    // written, or hand the converter other paths than these. Running: `run`
    // is started, and Finish tells how it went.
    Outcome Begin(const LineFile& entry, const std::wstring& name, const ConverterCall& call, Run& run) {
        const std::wstring processing = L"Processing " + name + L"...";
        const std::wstring made = common::FileNameOfPath(call.destination);
        if (common::IsDeviceName(made)) {
            log_.AppendFileLine(processing + L" FAILED (Windows reserves the name " + made + L")", entry);
            return Outcome::NotDone;
        }
        const std::wstring target = Target(call);
        // What the write is judged against; its identity is also the destination's side of the same-file check.
        run.before = host_.DestinationState(target);
        if (host_.SameFile(common::FoldBackslashes(entry.source), target, run.before)) {
            log_.AppendFileLine(L"Source and destination are the same file for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        run.key = host_.PathKey(target);
        if (written_.count(run.key)) {
            log_.AppendFileLine(L"Destination already written in this batch for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        run.passed = PassCall(call, host_);
        const PassedCall& passed = run.passed;
        run.temporaries = {passed.sourceCopy, passed.temporaryDestination};
        run.line = entry;
        // The last guard: an ANSI converter reads these arguments and no others.
        if (passed.refusal.empty() &&
            !ReadAsMeant(passed.call.Arguments(), passed.call.CommandLine(), host_.ConverterCodePage()))
            run.passed.refusal = L"the converter would read this file's paths as other arguments";
        if (!passed.refusal.empty()) {
            log_.AppendFileLine(processing + L" FAILED (" + passed.refusal + L")", entry);
            RemoveTemporaries(run);
            return Outcome::NotDone;
        }
        run.line.destination = target;
        run.processing = processing;
        if (host_.StopRequested()) {
            RemoveTemporaries(run);
            return Outcome::Ended;
        }
        log_.AppendFileLine(processing, run.line);
        if (!passed.sourceCopy.empty()) {
            const FileStep copy = host_.CopyForConverter(call.source, passed.sourceCopy);
            if (copy.stopped) return End(run, L"STOPPED (the converter was not started)", Outcome::Ended);
            if (!copy.failure.empty())
                return End(run,
                           L"FAILED (" + common::FileNameOfPath(call.source) +
                               L" could not be copied for the converter: " + copy.failure + L")",
                           Outcome::NotDone);
        }
        if (!passed.temporaryDestination.empty()) run.reserved = host_.DestinationState(passed.temporaryDestination);
        return Outcome::Running;
    }

    // The converter of `run` has ended with `result`: its output goes in place and its line is complete.
    Outcome Finish(Run& run, RunResult result) {
        // Only a destination a converter was started with counts as written in this batch.
        if (result.started) written_.insert(run.key);
        const bool systemEnded = result.started && result.failure.empty() && result.exitCode == kConsoleEnded;
        systemEnded_ |= systemEnded;
        result.ended |= systemEnded;
        bool ended = result.ended;
        const std::wstring outcome = LineOutcome(run, result, ended);
        return End(run, outcome, ended ? Outcome::Ended : run.line.converted ? Outcome::Done : Outcome::NotDone);
    }

    // Whether a converter was ended by the system, as at the end of the Windows session.
    bool SystemEnded() const { return systemEnded_; }

    // Where the converter's write lands: Windows drops a trailing dot or space of the name.
    static std::wstring Target(const ConverterCall& call) {
        const std::wstring written = common::WrittenName(common::FileNameOfPath(call.destination));
        return written.empty() ? call.destination : common::JoinPath(common::FolderOfPath(call.destination), written);
    }

private:
    Outcome End(Run& run, const std::wstring& outcome, Outcome result) {
        log_.ReplaceLastLine(run.processing + L" " + outcome, run.line);
        RemoveTemporaries(run);
        return result;
    }

    // The line's outcome once the converter has ended, its output put in place.
    std::wstring LineOutcome(Run& run, RunResult& result, bool& ended) {
        const PassedCall& passed = run.passed;
        LineFile& line = run.line;
        const std::wstring& target = line.destination;
        const std::wstring made = common::FileNameOfPath(target);
        result.output = passed.Unaliased(result.output);
        result.failure = passed.Unaliased(result.failure);
        const std::wstring& temporary = passed.temporaryDestination;
        // What an ended converter leaves can only be partial: a file it made
        // goes; one that was there before stays, and the line says so. What
        // cannot be shown to be absent counts as there, and is never deleted.
        std::wstring incomplete;
        if (ended && temporary.empty() &&
            (run.before.presence != common::Presence::Absent || !host_.RemoveFile(target)))
            incomplete = made;
        line.converted = result.started && result.failure.empty() && !ended && result.exitCode == 0;
        const std::wstring notMade = L"FAILED (the converter did not make " + made + L")";
        if (line.converted && !temporary.empty()) {
            line.converted = Written(run.reserved, host_.DestinationState(temporary));
            if (!line.converted) return notMade;
            const FileStep step = PutInPlace(run);
            line.converted = step.failure.empty() && !step.stopped;
            ended = step.stopped;
            if (ended) return L"STOPPED (the converted file was not put in place)";
            if (!line.converted)
                return L"FAILED (the converted file could not be moved to " + made + L": " + step.failure + L")";
        }
        if (line.converted && !Written(run.before, host_.DestinationState(target))) {
            line.converted = false;
            return notMade;
        }
        return OutcomeText(result, incomplete);
    }

    // The temporary output goes into the destination's folder first, under a
    // name of this program's, so that what replaces the destination is whole.
    FileStep PutInPlace(Run& run) {
        const PassedCall& passed = run.passed;
        const std::wstring& target = run.line.destination;
        const std::wstring folder = common::FolderOfPath(target),
                           name = common::FileNameOfPath(passed.temporaryDestination);
        const std::wstring extension = name.substr(std::min(name.find(L'.'), name.size()));  // a plain one, or none
        const auto reserve = [&](std::wstring& path) {
            const TemporaryName reserved = ReserveTemporary(host_, folder, extension);
            run.temporaries.push_back(path = reserved.path);
            return reserved.failure;
        };
        Placement placement{passed.temporaryDestination, passed.temporaryDestination, {}, target};
        if (!passed.temporaryBeside)
            if (std::wstring why = reserve(placement.staging); !why.empty()) return {why};
        if (run.before.presence != common::Presence::Absent)
            if (std::wstring why = reserve(placement.backup); !why.empty()) return {why};
        return host_.MoveIntoPlace(placement);
    }

    // Every temporary file of the entry goes; one that stays is named in the log.
    void RemoveTemporaries(Run& run) {
        for (const std::wstring& path : run.temporaries) {
            if (path.empty()) continue;
            const std::wstring why = host_.RemoveTemporary(path);
            if (!why.empty()) log_.AppendLine(L"Could not delete the temporary file " + path + L": " + why, run.line);
        }
        run.temporaries.clear();
    }

    BatchHost& host_;
    OrderedLog& log_;
    std::set<std::wstring> written_;  // destinations a converter was started with, by PathKey
    bool systemEnded_ = false;
};

// The road both directions share: start line, up-front checks, then the
// entries in queue order, up to `atOnce` converters at a time, until the user
// stops it. `callOf` says how an entry would be converted, `found` probes it.
template <typename Checks, typename CallOf, typename Found>
void RunBatch(const std::vector<std::wstring>& queue, const wchar_t* startLine, const std::wstring& toolFolder,
              int atOnce, BatchHost& host, Checks checks, CallOf callOf, Found found) {
    const int count = static_cast<int>(queue.size());
    host.SetProgressRange(count);
    host.AppendLine(startLine);
    if (!ConverterFound(toolFolder, host) || !checks()) return;
    OrderedLog log(host, count);
    EntryConverter converter(host, log);
    std::map<int, Run> running;  // by entry
    // The files a running entry reads and writes, by PathKey: an entry that touches one waits for it.
    std::multiset<std::wstring> busy;
    int done = 0, next = 0;
    bool stopped = false;
    const auto over = [&](int entry, Outcome outcome) {
        if (outcome == Outcome::Ended) stopped = true;
        done += outcome == Outcome::Done;
        log.Final(entry);
    };
    for (;;) {
        while (!stopped && next < count && static_cast<int>(running.size()) < std::max(atOnce, 1)) {
            if (host.StopRequested()) {
                stopped = true;
                break;
            }
            const std::wstring& source = queue[static_cast<std::size_t>(next)];
            const std::wstring name = common::FileNameOfPath(source);
            const ConverterCall call = callOf(source, name);
            std::vector<std::wstring> files;
            if (!running.empty()) {
                files = {host.PathKey(common::FoldBackslashes(source)), host.PathKey(EntryConverter::Target(call))};
                if (busy.count(files[0]) || busy.count(files[1])) break;
            }
            const LineFile entry{next++, source, {}, false};
            log.Reach(entry.entry);
            if (!found(source, call)) {
                log.AppendFileLine(L"Source file or destination folder not found for file '" + name + L"'", entry);
                over(entry.entry, Outcome::NotDone);
                continue;
            }
            Run run;
            const Outcome outcome = converter.Begin(entry, name, call, run);
            if (outcome != Outcome::Running) {
                over(entry.entry, outcome);
                continue;
            }
            if (files.empty())
                files = {host.PathKey(common::FoldBackslashes(source)), host.PathKey(run.line.destination)};
            busy.insert(files.begin(), files.end());
            run.files = std::move(files);
            host.StartRun(entry.entry, run.passed.call);
            running.emplace(entry.entry, std::move(run));
        }
        if (running.empty()) break;
        auto [id, result] = host.NextEnded();
        const auto it = running.find(id);
        if (it == running.end()) continue;
        for (const std::wstring& file : it->second.files) busy.erase(busy.find(file));
        over(id, converter.Finish(it->second, std::move(result)));
        running.erase(it);
        // Ended by the system: so is every other converter, as "Stop now" ends them.
        if (converter.SystemEnded()) host.EndRuns();
    }
    host.AppendLine(stopped ? L"Conversion stopped" : L"Conversion complete");
    if (done < count)
        host.AppendLine(std::to_wstring(count - done) + L" of " + std::to_wstring(count) +
                        L" files were not converted");
    host.SetProgressValue(0);
}

}  // namespace

std::wstring OutcomeText(const RunResult& result, const std::wstring& incomplete) {
    const std::wstring why = result.failure.empty() ? L"" : L": " + result.failure;
    if (!result.started && result.ended) return L"STOPPED (the converter was not started)";
    if (!result.started) return L"FAILED (the converter could not be started" + why + L")";
    if (!result.failure.empty()) return L"FAILED (the converter could not be waited for" + why + L")";
    if (result.ended)
        return incomplete.empty() ? L"STOPPED (the converter was ended)"
                                  : L"STOPPED (the converter was ended; " + incomplete + L" may be incomplete)";
    if (result.exitCode == 0) return L"DONE";
    // Large codes are NTSTATUS values such as 0xC0000005, read in hex.
    const std::wstring code =
        result.exitCode <= 65535 ? std::to_wstring(result.exitCode) : L"0x" + common::HexDigits(result.exitCode);
    const std::wstring failed = L"FAILED (exit code " + code + L")";
    return result.output.empty() ? failed : failed + L": " + result.output;
}

void RunBinToTextBatch(const BinToTextJob& job, BatchHost& host) {
    const bool besideSource = job.outputToSourceFolder;
    const auto checks = [&] {
        if (!IsValidExtension(job.extension)) {
            host.AppendLine(L"Text XML extension is not valid");
            return false;
        }
        return besideSource || OutputFolderFound(job.outputFolder, host);
    };
    const auto folderOf = [&](const std::wstring& source) {
        return besideSource ? common::FolderOfPath(source) : job.outputFolder;
    };
    const auto callOf = [&](const std::wstring& source, const std::wstring& name) {
        return BinToTextCall(job.toolFolder, folderOf(source), name, job.extension, source);
    };
    const auto found = [&](const std::wstring& source, const ConverterCall&) {
        // Both probes run even when the first fails.
        const bool sourceFound = host.FileExists(source);
        const bool folderFound = host.FolderExists(folderOf(source));
        return sourceFound && folderFound;
    };
    RunBatch(job.queue, L"Conversion from Binary XML to Text XML started...", job.toolFolder, job.atOnce, host, checks,
             callOf, found);
}

void RunTextToBinBatch(const TextToBinJob& job, BatchHost& host) {
    const auto checks = [&] { return OutputFolderFound(job.outputFolder, host); };
    const auto callOf = [&](const std::wstring& source, const std::wstring& name) {
        return TextToBinCall(job.toolFolder, job.outputFolder, name, source);
    };
    // The output folder was probed once, before the first entry.
    const auto found = [&](const std::wstring& source, const ConverterCall&) { return host.FileExists(source); };
    RunBatch(job.queue, L"Conversion from Text XML to Binary XML started...", job.toolFolder, job.atOnce, host, checks,
             callOf, found);
}

}  // namespace conversion
