#include "conversion/batch.h"

#include <cstdint>
#include <optional>
#include <set>

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

enum class Outcome { Done, NotDone, Ended };

// Hands the entries of one batch to the converter, in queue order.
class EntryConverter {
public:
    explicit EntryConverter(BatchHost& host) : host_(host) {}

    // Converts one entry whose probes passed, unless that would destroy its
    // source, overwrite what an earlier entry of this batch has written, or
    // hand the converter other paths than these.
    Outcome Convert(const LineFile& entry, const std::wstring& name, const ConverterCall& call) {
        const std::wstring processing = L"Processing " + name + L"...";
        if (host_.SameFile(common::FoldBackslashes(entry.source), call.destination)) {
            host_.AppendFileLine(L"Source and destination are the same file for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        const std::wstring key = host_.PathKey(call.destination);
        if (written_.count(key)) {
            host_.AppendFileLine(L"Destination already written in this batch for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        const std::optional<PassedCall> passed = PassCall(call, host_);
        if (!passed) {
            host_.AppendFileLine(
                processing + L" FAILED (the converter cannot be given this file's path in the system's code page)",
                entry);
            return Outcome::NotDone;
        }
        // The last guard: an ANSI converter reads these arguments and no others.
        if (!ReadAsMeant(passed->call.Arguments(), passed->call.CommandLine(), host_.ConverterCodePage())) {
            host_.AppendFileLine(
                processing + L" FAILED (the converter would read this file's paths as other arguments)", entry);
            return Outcome::NotDone;
        }
        LineFile line = entry;
        line.destination = call.destination;
        const FileState before = host_.DestinationState(call.destination);
        if (host_.StopRequested()) return Outcome::Ended;
        written_.insert(key);
        host_.AppendFileLine(processing, line);
        bool ended = false;
        const std::wstring outcome = RunPassed(*passed, call, before, line, ended);
        host_.ReplaceLastLine(processing + L" " + outcome, line);
        if (ended) return Outcome::Ended;
        return line.converted ? Outcome::Done : Outcome::NotDone;
    }

private:
    // Runs the converter on the paths it is given: a copy of the source made
    // first, every temporary file gone after it, a destination written under
    // another name moved into place. Gives the line's outcome.
    std::wstring RunPassed(const PassedCall& passed, const ConverterCall& real, const FileState& before, LineFile& line,
                           bool& ended) {
        const std::wstring made = common::FileNameOfPath(real.destination);
        if (!passed.sourceCopy.empty()) {
            const std::wstring why = host_.CopyForConverter(real.source, passed.sourceCopy);
            if (!why.empty())
                return L"FAILED (" + common::FileNameOfPath(real.source) + L" could not be copied for the converter: " +
                       why + L")";
        }
        RunResult result = host_.Run(passed.call);
        if (!passed.sourceCopy.empty()) host_.RemoveFile(passed.sourceCopy);
        if (result.started && result.failure.empty() && result.exitCode == kConsoleEnded) result.ended = true;
        result.output = passed.Unaliased(result.output);
        result.failure = passed.Unaliased(result.failure);
        ended = result.ended;
        const std::wstring& temporary = passed.temporaryDestination;
        // What an ended converter leaves can only be partial: a file it made
        // goes; one that was there before stays, and the line says so. What
        // cannot be shown to be absent counts as there, and is never deleted.
        std::wstring incomplete;
        if (ended && temporary.empty() &&
            (before.presence != common::Presence::Absent || !host_.RemoveFile(real.destination)))
            incomplete = made;
        line.converted = result.started && result.failure.empty() && !ended && result.exitCode == 0;
        std::wstring outcome = OutcomeText(result, incomplete);
        if (line.converted && !temporary.empty() && host_.PathPresence(temporary) != common::Presence::Absent) {
            const std::wstring why = host_.MoveIntoPlace(temporary, real.destination);
            if (!why.empty()) {
                line.converted = false;
                outcome = L"FAILED (the converted file could not be moved to " + made + L": " + why + L")";
            }
        }
        if (!temporary.empty()) host_.RemoveFile(temporary);
        if (line.converted && !Written(before, host_.DestinationState(real.destination))) {
            line.converted = false;
            outcome = L"FAILED (the converter did not make " + made + L")";
        }
        return outcome;
    }

    BatchHost& host_;
    std::set<std::wstring> written_;  // destinations the converter was started with, by PathKey
};

// The road both directions share: start line, up-front checks, then every
// entry in queue order until the user stops it. `plan` probes an entry and
// says how to convert it, or nothing when its source or folder is missing.
template <typename Checks, typename Plan>
void RunBatch(const std::vector<std::wstring>& queue, const wchar_t* startLine, const std::wstring& toolFolder,
              BatchHost& host, Checks checks, Plan plan) {
    const int count = static_cast<int>(queue.size());
    host.SetProgressRange(count);
    host.AppendLine(startLine);
    if (!ConverterFound(toolFolder, host) || !checks()) return;
    EntryConverter converter(host);
    int done = 0;
    bool stopped = false;
    for (int i = 0; i < count; ++i) {
        if (host.StopRequested()) {
            stopped = true;
            break;
        }
        host.SetProgressValue(i + 1);
        const LineFile entry{i, queue[static_cast<std::size_t>(i)], {}, false};
        const std::wstring name = common::FileNameOfPath(entry.source);
        const std::optional<ConverterCall> call = plan(entry.source, name);
        if (!call) {
            host.AppendFileLine(L"Source file or destination folder not found for file '" + name + L"'", entry);
            continue;
        }
        const Outcome outcome = converter.Convert(entry, name, *call);
        if (outcome == Outcome::Ended) {
            stopped = true;
            break;
        }
        done += outcome == Outcome::Done;
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
    const auto plan = [&](const std::wstring& source, const std::wstring& name) -> std::optional<ConverterCall> {
        const std::wstring outputFolder = besideSource ? common::FolderOfPath(source) : job.outputFolder;
        // Both probes run even when the first fails.
        const bool sourceFound = host.FileExists(source);
        const bool folderFound = host.FolderExists(outputFolder);
        if (!sourceFound || !folderFound) return std::nullopt;
        return BinToTextCall(job.toolFolder, outputFolder, name, job.extension, source);
    };
    RunBatch(job.queue, L"Conversion from Binary XML to Text XML started...", job.toolFolder, host, checks, plan);
}

void RunTextToBinBatch(const TextToBinJob& job, BatchHost& host) {
    const auto checks = [&] { return OutputFolderFound(job.outputFolder, host); };
    const auto plan = [&](const std::wstring& source, const std::wstring& name) -> std::optional<ConverterCall> {
        // The output folder was probed once, before the first entry.
        if (!host.FileExists(source)) return std::nullopt;
        return TextToBinCall(job.toolFolder, job.outputFolder, name, source);
    };
    RunBatch(job.queue, L"Conversion from Text XML to Binary XML started...", job.toolFolder, host, checks, plan);
}

}  // namespace conversion
