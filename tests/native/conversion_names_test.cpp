#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "conversion/command_line.h"
#include "conversion/paths.h"

using namespace conversion;
using namespace std::string_literals;
using Pair = std::pair<std::wstring, std::wstring>;

namespace {

TEST(ConversionNames, PathsSplitAtTheLastBackslashAndFold) {
    const struct { const wchar_t* path; Pair folderAndName; } cases[] = {
        {L"C:\\Data\\a.xml", {L"C:\\Data", L"a.xml"}}, {L"C:\\a.xml", {L"C:", L"a.xml"}}, {L"a.xml", {L"", L""}},
        {L"D:\\In\\", {L"D:\\In", L""}}, {L"\\\\server\\share\\a.xml", {L"\\\\server\\share", L"a.xml"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Pair(FolderOfPath(c.path), FileNameOfPath(c.path)), c.folderAndName);
    // Runs of backslashes fold to one, but a leading pair stays.
    const Pair folds[] = {
        {L"C:\\\\\\a\\\\b\\\\", L"C:\\a\\b\\"}, {L"\\", L"\\"}, {L"\\\\\\", L"\\\\"},
        {L"\\\\\\server\\\\share\\\\\\a.xml", L"\\\\server\\share\\a.xml"}, {L"\\\\?\\C:\\\\x\\\\", L"\\\\?\\C:\\x\\"},
    };
    for (const auto& [path, folded] : folds) EXPECT_EQ(FoldBackslashes(path), folded);
}

TEST(ConversionNames, DestinationNamesBinToTextThenTextToBinAndJoins) {
    const struct { const wchar_t *name, *extension; Pair names; } cases[] = {
        {L"a.xml", L"txt", {L"a.txt", L"a.xml"}}, {L"a.xml.xml", L"txt", {L"a.txt.txt", L"a.xml.xml"}},
        {L"data.xmlx", L"txt", {L"data.txtx", L"data.xxml"}}, {L"abc", L"txt", {L"abc", L"xml"}},
        {L"A.XML", L"txt", {L"A.XML", L"A.xml"}},  // ".xml" is matched case-sensitively
        {L"ab", L"", {L"ab", L"ab.xml"}}, {L"a.xml", L"", {L"a.", L"a.xml"}},
        {L"a.xml", L"b.xml", {L"a.b.xml", L"a.xml"}},  // the inserted extension is not searched again
    };
    for (const auto& c : cases)
        EXPECT_EQ(Pair(BinToTextDestinationName(c.name, c.extension), TextToBinDestinationName(c.name)), c.names);
    // A folder and a name join with one backslash.
    const Pair joins[] = {{L"C:\\Tools\\\\", L"C:\\Tools\\quillon.exe"}, {L"C:\\", L"C:\\quillon.exe"},
                          {L"C:", L"C:\\quillon.exe"}, {L"\\", L"\\quillon.exe"}};  // "\": the drive's root, no network
    for (const auto& [folder, joined] : joins)
        EXPECT_EQ(Pair(ConverterPath(folder), DestinationPath(folder, L"quillon.exe")), Pair(joined, joined));
}

TEST(ConversionNames, QuotedFoldedCommandLines) {
    const struct { bool textToBin; const wchar_t *tool, *output, *source, *commandLine; } cases[] = {
        {false, L"C:\\Tools", L"D:\\Out", L"D:\\In\\a.xml",
         LR"("C:\Tools\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")"},
        {true, L"C:\\Tools", L"D:\\Bin\\", L"D:\\In\\a.txt",
         LR"("C:\Tools\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.txt")"},
        {false, L"C:\\Program Files\\K", L"E:\\My Out", L"\\\\?\\D:\\\\In\\\\b c.xml",
         LR"("C:\Program Files\K\quillon.exe" --textxml="E:\My Out\b c.txt" "\\?\D:\In\b c.xml")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.textToBin ? TextToBinCommandLine(c.tool, c.output, FileNameOfPath(c.source), c.source)
                              : BinToTextCommandLine(c.tool, c.output, FileNameOfPath(c.source), L"txt", c.source),
                  c.commandLine);
}

TEST(ConversionNames, ExtensionValidity) {
    // 0xFFFFFFFF is a negative wchar_t where it has 32 bits, and still no control character.
    for (const std::wstring& valid : {L""s, L"t x.t\u0442\u007F"s, std::wstring(1, static_cast<wchar_t>(0xFFFFFFFFu))})
        EXPECT_TRUE(IsValidExtension(valid)) << testing::PrintToString(valid);
    for (const wchar_t bad : L"\\/:*?\"<>|\t\x01\x1F"s + L'\0')
        EXPECT_FALSE(IsValidExtension(L"tx"s + bad + L"t")) << "character code " << static_cast<int>(bad);
}

}  // namespace
