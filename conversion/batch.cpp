#include "conversion/batch.h"

#include <algorithm>
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
        const std::wstring made = common::FileNameOfPath(call.destination);
        if (common::IsDeviceName(made)) {
            host_.AppendFileLine(processing + L" FAILED (Windows reserves the name " + made + L")", entry);
            return Outcome::NotDone;
        }
        // Where the converter's write lands: Windows drops a trailing dot or space of the name.
        const std::wstring written = common::WrittenName(made);
        const std::wstring target =
            written.empty() ? call.destination : common::JoinPath(common::FolderOfPath(call.destination), written);
        if (host_.SameFile(common::FoldBackslashes(entry.source), target)) {
            host_.AppendFileLine(L"Source and destination are the same file for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        const std::wstring key = host_.PathKey(target);
        if (written_.count(key)) {
            host_.AppendFileLine(L"Destination already written in this batch for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        PassedCall passed = PassCall(call, host_);
        temporaries_ = {passed.sourceCopy, passed.temporaryDestination};
        // The last guard: an ANSI converter reads these arguments and no others.
        if (passed.refusal.empty() &&
            !ReadAsMeant(passed.call.Arguments(), passed.call.CommandLine(), host_.ConverterCodePage()))
            passed.refusal = L"the converter would read this file's paths as other arguments";
        if (!passed.refusal.empty()) {
            host_.AppendFileLine(processing + L" FAILED (" + passed.refusal + L")", entry);
            RemoveTemporaries();
            return Outcome::NotDone;
        }
        LineFile line = entry;
        line.destination = target;
        const FileState before = host_.DestinationState(target);
        if (host_.StopRequested()) {
            RemoveTemporaries();
            return Outcome::Ended;
        }
        host_.AppendFileLine(processing, line);
        bool ended = false;
        const std::wstring outcome = RunPassed(passed, call.source, key, before, line, ended);
        host_.ReplaceLastLine(processing + L" " + outcome, line);
        RemoveTemporaries();
        if (ended) return Outcome::Ended;
        return line.converted ? Outcome::Done : Outcome::NotDone;
    }

private:
    // Runs the converter on the paths it is given: a copy of the source made
    // first, a destination written under another name put in place after.
    // Gives the line's outcome.
    std::wstring RunPassed(const PassedCall& passed, const std::wstring& source, const std::wstring& key,
                           const FileState& before, LineFile& line, bool& ended) {
        const std::wstring& target = line.destination;
        const std::wstring made = common::FileNameOfPath(target);
        if (!passed.sourceCopy.empty()) {
            const FileStep copy = host_.CopyForConverter(source, passed.sourceCopy);
            ended = copy.stopped;
            if (ended) return L"STOPPED (the converter was not started)";
            if (!copy.failure.empty())
                return L"FAILED (" + common::FileNameOfPath(source) + L" could not be copied for the converter: " +
                       copy.failure + L")";
        }
        const std::wstring& temporary = passed.temporaryDestination;
        const FileState reserved = temporary.empty() ? FileState{} : host_.DestinationState(temporary);
        RunResult result = host_.Run(passed.call);
        // Only a destination a converter was started with counts as written in this batch.
        if (result.started) written_.insert(key);
        if (result.started && result.failure.empty() && result.exitCode == kConsoleEnded) result.ended = true;
        result.output = passed.Unaliased(result.output);
        result.failure = passed.Unaliased(result.failure);
        ended = result.ended;
        // What an ended converter leaves can only be partial: a file it made
        // goes; one that was there before stays, and the line says so. What
        // cannot be shown to be absent counts as there, and is never deleted.
        std::wstring incomplete;
        if (ended && temporary.empty() && (before.presence != common::Presence::Absent || !host_.RemoveFile(target)))
            incomplete = made;
        line.converted = result.started && result.failure.empty() && !ended && result.exitCode == 0;
        const std::wstring notMade = L"FAILED (the converter did not make " + made + L")";
        if (line.converted && !temporary.empty()) {
            line.converted = Written(reserved, host_.DestinationState(temporary));
            if (!line.converted) return notMade;
            const FileStep step = PutInPlace(passed, target, before);
            line.converted = step.failure.empty() && !step.stopped;
            ended = step.stopped;
            if (ended) return L"STOPPED (the converted file was not put in place)";
            if (!line.converted)
                return L"FAILED (the converted file could not be moved to " + made + L": " + step.failure + L")";
        }
        if (line.converted && !Written(before, host_.DestinationState(target))) {
            line.converted = false;
            return notMade;
        }
        return OutcomeText(result, incomplete);
    }

    // The temporary output goes into the destination's folder first, under a
    // name of this program's, so that what replaces the destination is whole.
    FileStep PutInPlace(const PassedCall& passed, const std::wstring& target, const FileState& before) {
        const std::wstring folder = common::FolderOfPath(target),
                           name = common::FileNameOfPath(passed.temporaryDestination);
        const std::wstring extension = name.substr(std::min(name.find(L'.'), name.size()));  // a plain one, or none
        const auto reserve = [&](std::wstring& path) {
            const TemporaryName reserved = ReserveTemporary(host_, folder, extension);
            temporaries_.push_back(path = reserved.path);
            return reserved.failure;
        };
        Placement placement{passed.temporaryDestination, passed.temporaryDestination, {}, target};
        if (!passed.temporaryBeside)
            if (std::wstring why = reserve(placement.staging); !why.empty()) return {why};
        if (before.presence != common::Presence::Absent)
            if (std::wstring why = reserve(placement.backup); !why.empty()) return {why};
        return host_.MoveIntoPlace(placement);
    }

    // Every temporary file of the entry goes; one that stays is named in the log.
    void RemoveTemporaries() {
        for (const std::wstring& path : temporaries_) {
            if (path.empty()) continue;
            const std::wstring why = host_.RemoveTemporary(path);
            if (!why.empty()) host_.AppendLine(L"Could not delete the temporary file " + path + L": " + why);
        }
        temporaries_.clear();
    }

    BatchHost& host_;
    std::set<std::wstring> written_;         // destinations a converter was started with, by PathKey
    std::vector<std::wstring> temporaries_;  // the current entry's
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
