#include "conversion/batch.h"

#include <optional>

#include "conversion/command_line.h"
#include "conversion/paths.h"

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

void LogNotFound(const std::wstring& name, BatchHost& host) {
    host.AppendLine(L"Source file or destination folder not found for file '" + name + L"'");
}

// Runs the converter for one entry that passed its probes.
void ConvertEntry(const std::wstring& sourcePath, const std::wstring& name, const std::wstring& destinationPath,
                  const std::wstring& commandLine, BatchHost& host) {
    // The converter would read and write one file at once and destroy the source.
    if (host.SameFile(FoldBackslashes(sourcePath), destinationPath)) {
        host.AppendLine(L"Source and destination are the same file for '" + name + L"'");
        return;
    }
    const std::wstring processing = L"Processing " + name + L"...";
    host.AppendLine(processing);
    const RunResult result = host.Run(commandLine);
    host.ReplaceLastLine(processing + L" " + OutcomeText(result));
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

// The road both directions share: start line, up-front checks, then every
// entry in queue order. `plan` probes an entry and says how to convert it,
// or nothing when its source or folder is missing.
template <typename Checks, typename Plan>
void RunBatch(const std::vector<std::wstring>& queue, const wchar_t* startLine, const std::wstring& toolFolder,
              BatchHost& host, Checks checks, Plan plan) {
    const int count = static_cast<int>(queue.size());
    host.SetProgressRange(count);
    host.AppendLine(startLine);
    if (!ConverterFound(toolFolder, host) || !checks()) return;
    for (int i = 0; i < count; ++i) {
        host.SetProgressValue(i + 1);
        const std::wstring& source = queue[static_cast<std::size_t>(i)];
        const std::wstring name = FileNameOfPath(source);
        const std::optional<EntryPlan> entry = plan(source, name);
        if (!entry) {
            LogNotFound(name, host);
            continue;
        }
        ConvertEntry(source, name, entry->destinationPath, entry->commandLine, host);
    }
    host.AppendLine(L"Conversion complete");
    host.SetProgressValue(0);
}

}  // namespace

std::wstring OutcomeText(const RunResult& result) {
    if (!result.started) return L"FAILED (the converter could not be started)";
    if (result.exitCode == 0) return L"DONE";
    // Large codes are NTSTATUS values such as 0xC0000005, read in hex.
    std::wstring code;
    if (result.exitCode <= 65535) {
        code = std::to_wstring(result.exitCode);
    } else {
        code = L"0x";
        for (int shift = 28; shift >= 0; shift -= 4) code += L"0123456789ABCDEF"[(result.exitCode >> shift) & 0xF];
    }
    return L"FAILED (exit code " + code + L")";
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
        const std::wstring outputFolder = besideSource ? FolderOfPath(source) : job.outputFolder;
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
