#include <gtest/gtest.h>

#include <string>

#include "conversion/command_line.h"

using namespace conversion;

namespace {

struct BinNameCase {
    const wchar_t* name;
    const wchar_t* extension;
    const wchar_t* destination;
};

constexpr BinNameCase kBinNameCases[] = {
    {L"a.xml", L"txt", L"a.txt"},
    {L"a.xml.xml", L"txt", L"a.txt.txt"},
    {L"data.xmlx", L"txt", L"data.txtx"},
    {L"A.XML", L"txt", L"A.XML"},
    {L"a.Xml", L"txt", L"a.Xml"},
    {L"axml", L"txt", L"axml"},
    {L"a.xml", L"", L"a."},
    {L".xml", L"txt", L".txt"},
    {L"x.xml.bak", L"txt", L"x.txt.bak"},
    {L"a..xml", L"txt", L"a..txt"},
    {L"a.xml", L"xml", L"a.xml"},
    // The inserted extension is not searched again.
    {L"a.xml", L"b.xml", L"a.b.xml"},
    {L"a.xml", L"xml.xml", L"a.xml.xml"},
    {L"a.xml", L"text xml", L"a.text xml"},
    {L"", L"txt", L""},
};

TEST(ConversionCommandLine, BinToTextNameReplacesEveryLowerCaseXml) {
    for (const auto& c : kBinNameCases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - kBinNameCases));
        EXPECT_EQ(BinToTextDestinationName(c.name, c.extension), c.destination);
    }
}

struct TextNameCase {
    const wchar_t* name;
    const wchar_t* destination;
};

constexpr TextNameCase kTextNameCases[] = {
    {L"a.txt", L"a.xml"}, {L"a.text", L"a.txml"}, {L"abc", L"xml"},   {L"a.xml", L"a.xml"},
    {L"ab", L"ab.xml"},   {L"a", L"a.xml"},       {L"", L".xml"},     {L"b.TXT", L"b.xml"},
};

TEST(ConversionCommandLine, TextToBinNameSwapsTheLastThreeCharacters) {
    for (const auto& c : kTextNameCases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - kTextNameCases));
        EXPECT_EQ(TextToBinDestinationName(c.name), c.destination);
    }
}

struct JoinCase {
    const wchar_t* folder;
    const wchar_t* joined;  // folder joined with quillon.exe
};

constexpr JoinCase kJoinCases[] = {
    {L"C:\\Tools", L"C:\\Tools\\quillon.exe"},
    {L"C:\\Tools\\", L"C:\\Tools\\quillon.exe"},
    {L"C:\\Tools\\\\", L"C:\\Tools\\quillon.exe"},
    {L"C:\\", L"C:\\quillon.exe"},
    {L"C:", L"C:\\quillon.exe"},
    {L"C:\\\\Program Files\\\\K", L"C:\\Program Files\\K\\quillon.exe"},
    {L"\\\\server\\tools", L"\\\\server\\tools\\quillon.exe"},
    {L"\\\\server\\tools\\", L"\\\\server\\tools\\quillon.exe"},
    {L"\\\\?\\C:\\Tools", L"\\\\?\\C:\\Tools\\quillon.exe"},
    // The root of the current drive must not turn into a network path.
    {L"\\", L"\\quillon.exe"},
    {L"", L"\\quillon.exe"},
};

TEST(ConversionCommandLine, ConverterAndDestinationPathsJoinWithOneBackslash) {
    for (const auto& c : kJoinCases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - kJoinCases));
        EXPECT_EQ(ConverterPath(c.folder), c.joined);
        EXPECT_EQ(DestinationPath(c.folder, L"quillon.exe"), c.joined);
    }
}

struct CommandCase {
    const wchar_t* tool;
    const wchar_t* output;
    const wchar_t* source;
    const wchar_t* binToText;  // with the extension txt
    const wchar_t* textToBin;
};

constexpr CommandCase kCommandCases[] = {
    {L"C:\\Tools", L"D:\\Out", L"D:\\In\\a.xml",
     LR"("C:\Tools\quillon.exe" --textxml="D:\Out\a.txt" "D:\In\a.xml")",
     LR"("C:\Tools\quillon.exe" --quillon="D:\Out\a.xml" "D:\In\a.xml")"},
    {L"C:\\Tools", L"D:\\Bin\\", L"D:\\In\\a.txt",
     LR"("C:\Tools\quillon.exe" --textxml="D:\Bin\a.txt" "D:\In\a.txt")",
     LR"("C:\Tools\quillon.exe" --quillon="D:\Bin\a.xml" "D:\In\a.txt")"},
    {L"C:\\", L"D:\\", L"D:\\\\In\\\\a.xml",
     LR"("C:\quillon.exe" --textxml="D:\a.txt" "D:\In\a.xml")",
     LR"("C:\quillon.exe" --quillon="D:\a.xml" "D:\In\a.xml")"},
    {L"\\\\srv\\tools", L"\\\\srv\\out\\", L"\\\\srv\\in\\a.xml",
     LR"("\\srv\tools\quillon.exe" --textxml="\\srv\out\a.txt" "\\srv\in\a.xml")",
     LR"("\\srv\tools\quillon.exe" --quillon="\\srv\out\a.xml" "\\srv\in\a.xml")"},
    {L"C:\\Program Files\\Karvel", L"E:\\My Out", L"\\\\?\\D:\\In\\b c.xml",
     LR"("C:\Program Files\Karvel\quillon.exe" --textxml="E:\My Out\b c.txt" "\\?\D:\In\b c.xml")",
     LR"("C:\Program Files\Karvel\quillon.exe" --quillon="E:\My Out\b c.xml" "\\?\D:\In\b c.xml")"},
    {L"C:\\T", L"D:\\O", L"D:\\In\\ab",
     LR"("C:\T\quillon.exe" --textxml="D:\O\ab" "D:\In\ab")",
     LR"("C:\T\quillon.exe" --quillon="D:\O\ab.xml" "D:\In\ab")"},
};

TEST(ConversionCommandLine, BuildsQuotedFoldedCommandLines) {
    for (const auto& c : kCommandCases) {
        SCOPED_TRACE(testing::Message() << "case index " << (&c - kCommandCases));
        const std::wstring name = std::wstring(c.source).substr(std::wstring(c.source).rfind(L'\\') + 1);
        EXPECT_EQ(BinToTextCommandLine(c.tool, c.output, name, L"txt", c.source), c.binToText);
        EXPECT_EQ(TextToBinCommandLine(c.tool, c.output, name, c.source), c.textToBin);
    }
}

TEST(ConversionCommandLine, ExtensionValidity) {
    for (const wchar_t* valid : {L"", L"txt", L"tar.gz", L"t x t", L"\u0442\u0445\u0442", L"~$", L"\u007F"}) {
        EXPECT_TRUE(IsValidExtension(valid)) << testing::PrintToString(std::wstring(valid));
    }
    for (const wchar_t bad : std::wstring(L"\\/:*?\"<>|\t\r\n\x01\x1F")) {
        const std::wstring extension = std::wstring(L"tx") + bad + L"t";
        EXPECT_FALSE(IsValidExtension(extension)) << "character code " << static_cast<int>(bad);
    }
    EXPECT_FALSE(IsValidExtension(std::wstring(L"t\0x", 3)));
}

}  // namespace
