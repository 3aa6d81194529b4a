#!/usr/bin/env python3
"""Plants known faults in the program one at a time (at least one in every
folder of it) and reports which ones the
test suite catches. Each fault is one exact text replacement in one file; the
tree is restored after every fault.

Usage (inside a Wine session, from a checkout whose native and win64 presets
are already built):  python3 scripts/plant-faults.py [fault-number ...]
"""
import pathlib
import subprocess
import sys

FAULTS = [
    # (what, file, text, replacement)
    ("file name keeps its backslash", "common/paths.cpp",
     "return std::wstring(path.substr(last + 1));", "return std::wstring(path.substr(last));"),
    ("a network path's leading pair is folded", "common/paths.cpp",
     "path[0] == L'\\\\' && path[1] == L'\\\\'", "path[0] == L'\\\\' && path[1] == L'/'"),
    ("the .xml replacement skips one character too few", "conversion/command_line.cpp",
     "from = at + kXml.size();", "from = at + kXml.size() - 1;"),
    ("a three-character name counts as short", "conversion/command_line.cpp",
     "if (name.size() < 3)", "if (name.size() <= 3)"),
    ("a folder ending in a backslash gets a second one", "common/paths.cpp",
     "if (joined.empty() || joined.back() != L'\\\\') joined += L'\\\\';", "joined += L'\\\\';"),
    ("no blank before the option", "conversion/command_line.cpp",
     'Quoted(ConverterPath(toolFolder)) + L" " + std::wstring(option)', "Quoted(ConverterPath(toolFolder)) + std::wstring(option)"),
    ("character 31 passes as an extension character", "conversion/command_line.cpp",
     "static_cast<std::uint32_t>(c) < 32", "static_cast<std::uint32_t>(c) < 31"),
    ("misworded missing-folder line", "conversion/batch.cpp",
     'L"Output folder does not exists"', 'L"Output folder does not exist"'),
    ("progress value off by one", "conversion/batch.cpp",
     "host.SetProgressValue(i + 1);", "host.SetProgressValue(i);"),
    ("folder checked up front even beside the sources", "conversion/batch.cpp",
     "return besideSource || OutputFolderFound(job.outputFolder, host);", "return OutputFolderFound(job.outputFolder, host);"),
    ("folder probe skipped when the source is missing", "conversion/batch.cpp",
     "const bool folderFound = host.FolderExists(outputFolder);", "const bool folderFound = sourceFound && host.FolderExists(outputFolder);"),
    ("exit code 65535 printed in hex", "conversion/batch.cpp",
     "result.exitCode <= 65535", "result.exitCode < 65535"),
    ("no closing line", "conversion/batch.cpp",
     'host.AppendLine(stopped ? L"Conversion stopped" : L"Conversion complete");', ""),
    ("same-file check on the unfolded source", "conversion/batch.cpp",
     "host_.SameFile(common::FoldBackslashes(entry.source), plan.destinationPath)", "host_.SameFile(entry.source, plan.destinationPath)"),
    ("converter presence not checked", "conversion/batch.cpp",
     "if (host.FileExists(converter)) return true;", "return true;"),
    ("a folder passes as a file", "common/file_probes.cpp",
     "return Attributes(path, attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;", "return Attributes(path, attributes);"),
    ("the converter's thread handle is not closed", "conversion/run_and_wait.cpp",
     "const win::unique_handle process(info.hProcess), thread(info.hThread);\n    // In a job",
     "const win::unique_handle process(info.hProcess), thread(info.hThread); HANDLE copy = nullptr; "
     "::DuplicateHandle(::GetCurrentProcess(), info.hThread, ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);\n    // In a job"),
    ("a failed exit code reported as success", "conversion/run_and_wait.cpp",
     "result.exitCode = ::GetExitCodeProcess(process.get(), &exitCode) ? exitCode : 0xFFFFFFFF;", "result.exitCode = 0; (void)exitCode;"),
    ("no blank after the switch digit", "settings/settings_format.cpp",
     'return on ? L" 1 " : L" 0 ";', 'return on ? L" 1" : L" 0";'),
    ("lines end in LF alone", "settings/settings_format.cpp",
     'text += L"\\r\\n";', 'text += L"\\n";'),
    ("2 checks the box", "settings/settings_format.cpp",
     'value(0) == L"1"', 'value(0) != L"0"'),
    ("tabs trimmed too", "settings/settings_format.cpp",
     "text.find_first_not_of(L' ');", 'text.find_first_not_of(L" \\t");'),
    ("wrong byte in the UTF-8 mark", "settings/settings_format.cpp",
     'kUtf8Bom = "\\xEF\\xBB\\xBF"', 'kUtf8Bom = "\\xEF\\xBB\\xBE"'),
    ("overlong UTF-8 accepted", "common/utf8.cpp",
     "if (lowest < min || IsSurrogate(lowest)", "if (IsSurrogate(lowest)"),
    ("a read-only settings file is replaced", "common/file_bytes.cpp",
     "(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)", "(FILE_ATTRIBUTE_DIRECTORY)"),
    ("a failed save leaves its temporary file", "common/file_bytes.cpp",
     "if (!path_.empty()) ::DeleteFileW(path_.c_str());", ""),
    ("Remove selected one pixel off", "ui/controls.cpp",
     'L"Remove selected", 276, 124, 121, 25, 3, false', 'L"Remove selected", 277, 124, 121, 25, 3, false'),
    ("text-to-binary Convert! enabled at start", "ui/controls.cpp",
     'L"Convert!", 400, 172, 121, 25, 10, false', 'L"Convert!", 400, 172, 121, 25, 10, true'),
    ("Remove selected enabled without a selection", "ui/queue_rules.cpp",
     "if (queue.Selected() != -1) queue.SetRemoveEnabled(true);", "queue.SetRemoveEnabled(true);"),
    ("an empty part does not end the dialog result", "ui/queue_rules.cpp",
     "if (part.empty()) break;", "if (part.empty()) { if (end == std::wstring_view::npos) break; result.remove_prefix(end + 1); continue; }"),
    ("open-file dialog without multiple selection", "ui/dialogs.cpp",
     "OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY", "OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY"),
    ("folder dialog titled wrongly", "ui/frmMain.cpp",
     'L"Select output folder"', 'L"Select the output folder"'),
    ("frame captions in blue", "ui/window_layout.cpp",
     "RGB(192, 0, 0)", "RGB(0, 0, 192)"),
    ("greyed folder box keeps the window colour", "ui/frmMain.cpp",
     "binOutBackground_ = state.background;", ""),
    ("window closes under a dialog", "ui/frmMain.cpp",
     "if (busy_ || collection_) return;", "if (collection_) return;"),
    ("text-to-binary folder saved in place of the binary-to-text one", "ui/frmMain.cpp",
     "OutputToSourceFolder(), Text(txtBinOut), Text(txtTxtOut), Text(txtExt)}", "OutputToSourceFolder(), Text(txtTxtOut), Text(txtTxtOut), Text(txtExt)}"),
    ("controls keep the System font", "ui/window_layout.cpp",
     "if (newFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), FALSE);", ""),
    ("dropped folders sorted with case", "ui/dropped_files.cpp",
     "static_cast<int>(endB - j), TRUE);", "static_cast<int>(endB - j), FALSE);"),
    ("the log does not scroll to its last line", "ui/list_box.cpp",
     "LB_SETTOPINDEX, std::max(Count() - 1, 0), 0);", "LB_SETTOPINDEX, 0, 0);"),
    ("queue append does not widen the list", "ui/list_box.cpp",
     "widest = std::max(widest, widths.Width(line) + 6);", "(void)widths;"),
    # Faults the suite let through, and the new code's.
    ("an exit code of 1 reported as DONE", "conversion/batch.cpp",
     'if (result.exitCode == 0) return L"DONE";', 'if (result.exitCode <= 1) return L"DONE";'),
    ("the output written just before the end is not read", "conversion/run_and_wait.cpp",
     "    if (reading) reader.Read(tail, kPipePieces);", ""),
    ("mouse input during a batch reaches every control", "ui/input_rules.cpp",
     "case Input::Mouse: return target == Target::StatusLog || target == Target::BatchButton;", "case Input::Mouse: return true;"),
    ("Copy all greyed for a log of one line", "ui/menus.cpp",
     '{CopyAllLines, L"Copy all", lines > 0}', '{CopyAllLines, L"Copy all", lines > 1}'),
    ("a double-click on the batch's button is two clicks", "ui/input_rules.cpp",
     "case Input::Wheel:\n        case Input::DoubleClick: return target == Target::StatusLog;\n        case Input::Mouse:",
     "case Input::Wheel: return target == Target::StatusLog;\n        case Input::DoubleClick:\n        case Input::Mouse:"),
    ("Esc held down stops again at each repeat", "ui/input_filter.cpp",
     "(msg.lParam & (1 << 30))", "false"),
    ("a press on Stop let go after the batch starts it again", "ui/frmMain.cpp",
     "if (GetCapture() == button) ReleaseCapture();", ""),
    ("a second close request waits for the current file", "ui/frmMain.cpp",
     "        // Asked twice: the user will not wait for the current file.\n        StopBatch();", ""),
    ("the frame (title bar, close box) takes no mouse input during a batch", "ui/input_rules.cpp",
     "case Input::Frame: return target == Target::StatusLog || target == Target::Window;",
     "case Input::Frame: return target == Target::StatusLog;"),
    ("Stop now is not looked at", "conversion/run_and_wait.cpp",
     "if (woken - WAIT_OBJECT_0 == stopIndex) result.ended = EndAll(job.get(), process.get());", ""),
    ("a refused start is not tried again", "conversion/run_and_wait.cpp",
     "        default: return false;", "        default: return true;"),
    ("a file that is no program is tried again", "conversion/run_and_wait.cpp",
     "        case ERROR_BAD_EXE_FORMAT:\n", ""),
    ("a failed wait counts as a finished converter", "conversion/run_and_wait.cpp",
     "            result.failure = SystemMessage(::GetLastError(), ProgramOf(commandLine));", ""),
    ("the converter reads the tool's console for input", "conversion/run_and_wait.cpp",
     "    startup.StartupInfo.hStdInput = input.get();\n    startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = pipe.write.get();",
     "    startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = pipe.write.get();"),
    ("the system's message keeps its line breaks", "conversion/converter_output.cpp",
     "if (c == L' ' && (line.empty() || line.back() == L' ')) continue;", ""),
    ("what an ended converter began of a new file stays", "conversion/batch.cpp",
     "if (result.ended && (existed || !host_.RemoveFile(plan.destinationPath)))", "if (result.ended && existed)"),
    ("an old destination under an ended converter is deleted", "conversion/batch.cpp",
     "if (result.ended && (existed || !host_.RemoveFile(plan.destinationPath)))",
     "if (result.ended && !host_.RemoveFile(plan.destinationPath))"),
    ("a destination never begun counts as left behind", "ui/batch_view.cpp",
     "return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;", "return DeleteFileW(path.c_str()) != 0;"),
    ("two copies started at once share a probe name", "settings/settings_file.cpp",
     'std::to_wstring(::GetCurrentProcessId()) + L"-" +\n                                   std::to_wstring(::GetCurrentThreadId())',
     "std::to_wstring(::GetCurrentProcessId())"),
    ("the open-file dialog keeps the folder it showed in use", "ui/dialogs.cpp",
     "~Restore() { SetCurrentDirectoryW(folder.c_str()); }", "~Restore() {}"),
    ("a cloud placeholder folder is not walked into", "ui/queue_rules.cpp",
     "return !(attributes & kReparsePoint) || !(reparseTag & kNameSurrogate);", "return !(attributes & kReparsePoint);"),
    ("the window does not look for the batch's reports", "ui/frmMain.cpp",
     "SetTimer(hwnd_, kBatchTimer, kBatchShowMilliseconds, nullptr);", ""),
    ("Remove converted files takes out every entry", "ui/queue_rules.cpp",
     "if (queue.Converted(i)) queue.RemoveAt(i);", "queue.RemoveAt(i);"),
    ("a new batch keeps the last one's marks", "ui/queue_rules.cpp",
     "for (int i = 0; i < queue.Count(); ++i) queue.SetConverted(i, false);", ""),
    ("a DONE line marks no entry", "ui/queue_menu.cpp",
     "    queue.SetConverted(file.entry, true);", ""),
    ("Open containing folder offered without a selection", "ui/menus.cpp",
     '{OpenEntryFolder, L"Open containing folder", queue.Selected() >= 0}', '{OpenEntryFolder, L"Open containing folder", true}'),
    ("a converted file's line shows its source", "ui/menus.cpp",
     "return line.converted ? line.destination : line.source;", "return line.source;"),
    ("a missing folder is not reported", "ui/menus.cpp",
     'if (!folderExists(common::JoinPath(folder, L""))) return {{}, {}, L"The folder " + folder + L" does not exist."};', ""),
    ("Enter on a log line does nothing", "ui/input_filter.cpp",
     "    OpenLogLine();  // what a double-click on the line does", ""),
    ("a double-click on a log line does nothing", "ui/frmMain.cpp",
     "if (control == lstStatus && code == LBN_DBLCLK && !busy_) return OpenLogLine();", ""),
    ("a character's width is one pixel off", "ui/list_box.cpp",
     "return advance = drawnAlone ? width : kMeasureWhole;", "return advance = drawnAlone ? width + 1 : kMeasureWhole;"),
    ("a system DLL is looked for without its folder's backslash", "common/dll_search.cpp",
     '(system + L"\\\\" + name)', '(system + name)'),
    ("the stand-in reports a copy it could not make as done", "tools/quillon_standin.cpp",
     "if (!::CopyFileW(source, std::wstring(destination).c_str(), FALSE)) return 3;",
     "if (!::CopyFileW(source, std::wstring(destination).c_str(), FALSE)) return 0;"),
]


def run(cmd, **kw):
    return subprocess.run(cmd, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw).returncode


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    wanted = {int(a) for a in sys.argv[1:]} or set(range(1, len(FAULTS) + 1))
    caught = 0
    for number, (what, name, text, replacement) in enumerate(FAULTS, 1):
        if number not in wanted:
            continue
        path = root / name
        original = path.read_text()
        if original.count(text) != 1:
            print(f"{number:2} NOT PLANTED ({original.count(text)} matches)  {name}: {what}", flush=True)
            continue
        path.write_text(original.replace(text, replacement))
        try:
            if run(f"cd {root} && cmake --build --preset native && cmake --build --preset win64"):
                verdict = "BUILD FAILED"
            elif run(f"cd {root} && ctest --preset native --stop-on-failure") or \
                    run(f"cd {root} && ctest --preset win64 --stop-on-failure"):
                verdict, caught = "caught", caught + 1
            else:
                verdict = "MISSED"
        finally:
            path.write_text(original)
        print(f"{number:2} {verdict:12} {name}: {what}", flush=True)
    run(f"cd {root} && cmake --build --preset native && cmake --build --preset win64")
    print(f"caught {caught} of {len(wanted)}")


if __name__ == "__main__":
    main()
