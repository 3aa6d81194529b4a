#include "conversion/batch.h"

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

void EndBatch(BatchHost& host) {
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
    const int count = static_cast<int>(job.queue.size());
    const bool besideSource = job.sourceFolderSwitch != 0;
    host.SetProgressRange(count);
    host.AppendLine(L"Conversion from Binary XML to Text XML started...");
    if (!ConverterFound(job.toolFolder, host)) return;
    if (!IsValidExtension(job.extension)) {
        host.AppendLine(L"Text XML extension is not valid");
        return;
    }
    if (!besideSource && !host.FolderExists(job.outputFolder)) {
        host.AppendLine(kOutputFolderMissing);
        return;
    }
    for (int i = 0; i < count; ++i) {
        host.SetProgressValue(i + 1);
        const std::wstring& source = job.queue[static_cast<std::size_t>(i)];
        const std::wstring name = FileNameOfPath(source);
        const std::wstring outputFolder = besideSource ? FolderOfPath(source) : job.outputFolder;
        // Both probes run even when the first fails.
        const bool sourceFound = host.FileExists(source);
        const bool folderFound = host.FolderExists(outputFolder);
        if (!sourceFound || !folderFound) {
            LogNotFound(name, host);
            continue;
        }
        ConvertEntry(source, name,
                     DestinationPath(outputFolder, BinToTextDestinationName(name, job.extension)),
                     BinToTextCommandLine(job.toolFolder, outputFolder, name, job.extension, source), host);
    }
    EndBatch(host);
}

void RunTextToBinBatch(const TextToBinJob& job, BatchHost& host) {
    const int count = static_cast<int>(job.queue.size());
    host.SetProgressRange(count);
    host.AppendLine(L"Conversion from Text XML to Binary XML started...");
    if (!ConverterFound(job.toolFolder, host)) return;
    if (!host.FolderExists(job.outputFolder)) {
        host.AppendLine(kOutputFolderMissing);
        return;
    }
    for (int i = 0; i < count; ++i) {
        host.SetProgressValue(i + 1);
        const std::wstring& source = job.queue[static_cast<std::size_t>(i)];
        const std::wstring name = FileNameOfPath(source);
        // The output folder was probed once, before the first entry.
        if (!host.FileExists(source)) {
            LogNotFound(name, host);
            continue;
        }
        ConvertEntry(source, name, DestinationPath(job.outputFolder, TextToBinDestinationName(name)),
                     TextToBinCommandLine(job.toolFolder, job.outputFolder, name, source), host);
    }
    EndBatch(host);
}

}  // namespace conversion
