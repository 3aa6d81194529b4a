#include "conversion/batch.h"

#include <optional>
#include <set>

#include "conversion/command_line.h"
#include "common/paths.h"

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

struct EntryPlan {
    std::wstring destinationPath;
    std::wstring commandLine;
};

enum class Outcome { Done, NotDone, Ended };

// Hands the entries of one batch to the converter, in queue order.
class EntryConverter {
public:
    explicit EntryConverter(BatchHost& host) : host_(host) {}

    // Converts one entry whose probes passed, unless that would destroy its
    // source or overwrite what an earlier entry of this batch has written.
    Outcome Convert(const LineFile& entry, const std::wstring& name, const EntryPlan& plan) {
        if (host_.SameFile(common::FoldBackslashes(entry.source), plan.destinationPath)) {
            host_.AppendFileLine(L"Source and destination are the same file for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        if (!written_.insert(host_.PathKey(plan.destinationPath)).second) {
            host_.AppendFileLine(L"Destination already written in this batch for '" + name + L"'", entry);
            return Outcome::NotDone;
        }
        LineFile line = entry;
        line.destination = plan.destinationPath;
        const bool existed = host_.FileExists(plan.destinationPath);
        const std::wstring processing = L"Processing " + name + L"...";
        host_.AppendFileLine(processing, line);
        const RunResult result = host_.Run(plan.commandLine);
        // What an ended converter leaves can only be partial: a file it made
        // goes; one that was there before stays, and the line says so.
        std::wstring incomplete;
        if (result.ended && (existed || !host_.RemoveFile(plan.destinationPath)))
            incomplete = common::FileNameOfPath(plan.destinationPath);
        line.converted = result.started && result.failure.empty() && !result.ended && result.exitCode == 0;
        host_.ReplaceLastLine(processing + L" " + OutcomeText(result, incomplete), line);
        if (result.ended) return Outcome::Ended;
        return line.converted ? Outcome::Done : Outcome::NotDone;
    }

private:
    BatchHost& host_;
    std::set<std::wstring> written_;  // destinations the converter was started with
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
        const std::optional<EntryPlan> entryPlan = plan(entry.source, name);
        if (!entryPlan) {
            host.AppendFileLine(L"Source file or destination folder not found for file '" + name + L"'", entry);
            continue;
        }
        const Outcome outcome = converter.Convert(entry, name, *entryPlan);
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
    if (!result.started) return L"FAILED (the converter could not be started" + why + L")";
    if (!result.failure.empty()) return L"FAILED (the converter could not be waited for" + why + L")";
    if (result.ended)
        return incomplete.empty() ? L"STOPPED (the converter was ended)"
                                  : L"STOPPED (the converter was ended; " + incomplete + L" may be incomplete)";
    if (result.exitCode == 0) return L"DONE";
    // Large codes are NTSTATUS values such as 0xC0000005, read in hex.
    std::wstring code;
    if (result.exitCode <= 65535) {
        code = std::to_wstring(result.exitCode);
    } else {
        code = L"0x";
        for (int shift = 28; shift >= 0; shift -= 4) code += L"0123456789ABCDEF"[(result.exitCode >> shift) & 0xF];
    }
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
    const auto plan = [&](const std::wstring& source, const std::wstring& name) -> std::optional<EntryPlan> {
        const std::wstring outputFolder = besideSource ? common::FolderOfPath(source) : job.outputFolder;
        // Both probes run even when the first fails.
        const bool sourceFound = host.FileExists(source);
        const bool folderFound = host.FolderExists(outputFolder);
        if (!sourceFound || !folderFound) return std::nullopt;
        return EntryPlan{DestinationPath(outputFolder, BinToTextDestinationName(name, job.extension)),
                         BinToTextCommandLine(job.toolFolder, outputFolder, name, job.extension, source)};
    };
    RunBatch(job.queue, L"Conversion from Binary XML to Text XML started...", job.toolFolder, host, checks, plan);
}

void RunTextToBinBatch(const TextToBinJob& job, BatchHost& host) {
    const auto checks = [&] { return OutputFolderFound(job.outputFolder, host); };
    const auto plan = [&](const std::wstring& source, const std::wstring& name) -> std::optional<EntryPlan> {
        // The output folder was probed once, before the first entry.
        if (!host.FileExists(source)) return std::nullopt;
        return EntryPlan{DestinationPath(job.outputFolder, TextToBinDestinationName(name)),
                         TextToBinCommandLine(job.toolFolder, job.outputFolder, name, source)};
    };
    RunBatch(job.queue, L"Conversion from Text XML to Binary XML started...", job.toolFolder, host, checks, plan);
}

}  // namespace conversion
