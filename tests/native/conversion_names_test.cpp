#include <gtest/gtest.h>

#include <string>

#include "conversion/command_line.h"
#include "conversion/paths.h"

using namespace conversion;
using namespace std::string_literals;

namespace {

TEST(ConversionNames, SplitsAtTheLastBackslash) {
    const struct { std::wstring path, folder, name; } cases[] = {
        {L"C:\\Data\\a.xml", L"C:\\Data", L"a.xml"},
        {L"C:\\a.xml", L"C:", L"a.xml"},
        {L"a.xml", L"", L""},
        {L"C:/Data/a.xml", L"", L""},
        {L"\\\\server\\share\\a.xml", L"\\\\server\\share", L"a.xml"},
        {L"C:\\a\0b\\c\0d"s, L"C:\\a\0b"s, L"c\0d"s},  // lengths, not terminators, end a path
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(FolderOfPath(c.path), c.folder);
        EXPECT_EQ(FileNameOfPath(c.path), c.name);
    }
}

TEST(ConversionNames, FoldsBackslashRunsButKeepsALeadingPair) {
    const struct { const wchar_t *path, *folded; } cases[] = {
        {L"", L""},
        {L"C:\\\\\\a.xml", L"C:\\a.xml"},
        {L"a\\\\b\\\\c\\\\", L"a\\b\\c\\"},
        {L"\\", L"\\"},
        {L"\\\\\\", L"\\\\"},
        {L"\\\\\\server\\\\share\\\\\\a.xml", L"\\\\server\\share\\a.xml"},
        {L"\\\\?\\C:\\\\x\\\\", L"\\\\?\\C:\\x\\"},
        {L"C://Data//a.xml", L"C://Data//a.xml"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FoldBackslashes(c.path), c.folded);
        EXPECT_EQ(FoldBackslashes(c.folded), c.folded);
    }
}

TEST(ConversionNames, DestinationNames) {
    const struct { const wchar_t *name, *extension, *binToText, *textToBin; } cases[] = {
        {L"a.xml", L"txt", L"a.txt", L"a.xml"},
        {L"a.xml.xml", L"txt", L"a.txt.txt", L"a.xml.xml"},
        {L"data.xmlx", L"txt", L"data.txtx", L"data.xxml"},
        {L"A.XML", L"txt", L"A.XML", L"A.xml"},  // ".xml" is matched case-sensitively
        {L"a.text", L"", L"a.text", L"a.txml"},
        {L"a.xml", L"", L"a.", L"a.xml"},
        {L"a.xml", L"b.xml", L"a.b.xml", L"a.xml"},  // the inserted extension is not searched again
        {L"abc", L"txt", L"abc", L"xml"},
        {L"ab", L"txt", L"ab", L"ab.xml"},
        {L"", L"txt", L"", L".xml"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BinToTextDestinationName(c.name, c.extension), c.binToText);
        EXPECT_EQ(TextToBinDestinationName(c.name), c.textToBin);
    }
}

TEST(ConversionNames, FolderAndNameJoinWithOneBackslash) {
    const struct { const wchar_t *folder, *joined; } cases[] = {
        {L"C:\\Tools\\\\", L"C:\\Tools\\quillon.exe"},
        {L"C:\\", L"C:\\quillon.exe"},
        {L"C:", L"C:\\quillon.exe"},
        {L"\\", L"\\quillon.exe"},  // the current drive's root, not a network path
        {L"", L"\\quillon.exe"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConverterPath(c.folder), c.joined);
        EXPECT_EQ(DestinationPath(c.folder, L"quillon.exe"), c.joined);
    }
}

TEST(ConversionNames, QuotedFoldedCommandLines) {
    const struct { bool textToBin; const wchar_t *tool, *output, *source, *commandLine; } cases[] = {
        {false, L"C:\\Tools", L"D:\\Out", L"D:\\In\\a.xml",
         LR"("C:\Tools\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")"},
        {true, L"C:\\Tools", L"D:\\Bin\\", L"D:\\In\\a.txt",
         LR"("C:\Tools\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.txt")"},
        {false, L"C:\\", L"D:\\", L"D:\\\\In\\\\a.xml", LR"("C:\quillon.exe" --textxml="D:\a.txt" "D:\In\a.xml")"},
        {true, L"\\\\srv\\tools", L"\\\\srv\\out\\", L"\\\\srv\\in\\a.txt",
         LR"("\\srv\tools\quillon.exe" --quillon="\\srv\out\a.xml" "\\srv\in\a.txt")"},
        {false, L"C:\\Program Files\\K", L"E:\\My Out", L"\\\\?\\D:\\In\\b c.xml",
         LR"("C:\Program Files\K\quillon.exe" --textxml="E:\My Out\b c.txt" "\\?\D:\In\b c.xml")"},
    };
    for (const auto& c : cases) {
        const std::wstring name = FileNameOfPath(c.source);
        EXPECT_EQ(c.textToBin ? TextToBinCommandLine(c.tool, c.output, name, c.source)
                              : BinToTextCommandLine(c.tool, c.output, name, L"txt", c.source),
                  c.commandLine);
    }
}

TEST(ConversionNames, ExtensionValidity) {
    // 0xFFFFFFFF is a negative wchar_t where it has 32 bits, and still no control character.
    for (const std::wstring& valid : {L""s, L"tar.gz"s, L"t x t"s, L"\u0442\u0445\u0442\u007F"s,
                                     std::wstring(1, static_cast<wchar_t>(0xFFFFFFFFu))}) {
        EXPECT_TRUE(IsValidExtension(valid)) << testing::PrintToString(valid);
    }
    for (const wchar_t bad : L"\\/:*?\"<>|\t\x01\x1F"s + L'\0') {
        EXPECT_FALSE(IsValidExtension(L"tx"s + bad + L"t")) << "character code " << static_cast<int>(bad);
    }
}

}  // namespace
