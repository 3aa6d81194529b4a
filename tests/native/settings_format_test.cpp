#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_format.h"

namespace settings {
bool operator==(const Settings& a, const Settings& b) {
    return a.sourceFolderSwitch == b.sourceFolderSwitch && a.binOutputFolder == b.binOutputFolder &&
           a.txtOutputFolder == b.txtOutputFolder && a.extension == b.extension;
}
void PrintTo(const Settings& s, std::ostream* os) {
    *os << s.sourceFolderSwitch << " | " << testing::PrintToString(s.binOutputFolder) << " | "
        << testing::PrintToString(s.txtOutputFolder) << " | " << testing::PrintToString(s.extension);
}
}  // namespace settings

namespace {
using settings::Settings;

// Bytes 0..255 are U+0000..U+00FF; nothing else fits.
class Latin1 final : public settings::AnsiCodec {
public:
    std::optional<std::string> Encode(std::wstring_view text) const override {
        std::string out;
        for (wchar_t c : text) {
            if (static_cast<unsigned long>(c) > 0xFF) return std::nullopt;
            out.push_back(static_cast<char>(c));
        }
        return out;
    }
    std::wstring Decode(std::string_view bytes) const override {
        std::wstring out;
        for (char b : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(b)));
        return out;
    }
};
const Latin1 kLatin1;
const std::string kBom = "\xEF\xBB\xBF";
const Settings kInitial{1, L"init-bin", L"init-txt", L"init-ext"};

TEST(SettingsWrite, FourCrLfLinesByteForByte) {
    struct Case { Settings values; std::string bytes; };
    const std::vector<Case> cases = {
        {{0, L"D:\\Work\\Decoded", L"D:\\Work\\Encoded", L"txt"},
         " 0 \r\nD:\\Work\\Decoded\r\nD:\\Work\\Encoded\r\ntxt\r\n"},
        {{1, L"  C:\\a b ", L"", L" xml"}, " 1 \r\n  C:\\a b \r\n\r\n xml\r\n"},
        {{1, L"", L"", L""}, " 1 \r\n\r\n\r\n\r\n"},
        {{-1, L"x", L"y", L"z"}, "-1 \r\nx\r\ny\r\nz\r\n"},
        // Fits the code page: plain ANSI bytes, no mark.
        {{0, L"C:\\Caf\u00E9", L"", L"txt"}, " 0 \r\nC:\\Caf\xE9\r\n\r\ntxt\r\n"},
        // One value outside it turns the whole file into UTF-8, the é too.
        {{0, L"C:\\Caf\u00E9", L"D:\\日本", L"txt"},
         kBom + " 0 \r\nC:\\Caf\xC3\xA9\r\nD:\\\xE6\x97\xA5\xE6\x9C\xAC\r\ntxt\r\n"},
        {{1, L"", L"", L"\U0001F600"}, kBom + " 1 \r\n\r\n\r\n\xF0\x9F\x98\x80\r\n"},
        // An unpaired surrogate has no UTF-8 form.
        {{0, std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a", L"", L""},
         kBom + " 0 \r\n\xEF\xBF\xBD" "a\r\n\r\n\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settings::WriteSettings(c.values, kLatin1), c.bytes) << testing::PrintToString(c.values);
    }
}

TEST(SettingsRead, DamagedAndHandEditedFiles) {
    struct Case { const char* name; std::string bytes; Settings expected; };
    const std::vector<Case> cases = {
        {"as written", " 1 \r\nA\r\nB\r\nC\r\n", {1, L"A", L"B", L"C"}},
        {"trimmed of blanks only", "   0\r\n  a b  \r\n\tx\t \r\n ext \r\n", {0, L"a b", L"\tx\t", L"ext"}},
        {"empty values", " 0 \r\n\r\n  \r\n\r\n", {0, L"", L"", L""}},
        {"empty file", "", kInitial},
        {"one line", " 0 \r\n", {0, L"init-bin", L"init-txt", L"init-ext"}},
        {"two lines, no end", " 0 \r\nA", {0, L"A", L"init-txt", L"init-ext"}},
        {"three lines", " 0 \r\nA\r\nB\r\n", {0, L"A", L"B", L"init-ext"}},
        {"extra lines ignored", " 1 \r\nA\r\nB\r\nC\r\nD\r\nE\r\n", {1, L"A", L"B", L"C"}},
        {"LF ends", " 1 \nA\nB\nC\n", {1, L"A", L"B", L"C"}},
        {"CR ends", " 1 \rA\rB\rC\r", {1, L"A", L"B", L"C"}},
        {"mixed ends", " 1 \nA\rB\r\nC", {1, L"A", L"B", L"C"}},
        {"CR then CR LF is two ends", " 1 \r\r\nB\r\nC\r\n", {1, L"", L"B", L"C"}},
        {"LF then CR is two ends", " 1 \n\rB\r\nC\r\n", {1, L"", L"B", L"C"}},
        {"no final line end", " 0 \r\nA\r\nB\r\nC", {0, L"A", L"B", L"C"}},
        {"ANSI high bytes", " 0 \r\nCaf\xE9\r\n\xFF\r\n\xEF\xBB\r\n", {0, L"Caf\u00E9", L"\u00FF", L"\u00EF\u00BB"}},
        {"UTF-8 without mark is ANSI", " 0 \r\n\xC3\xA9\r\n", {0, L"\u00C3\u00A9", L"init-txt", L"init-ext"}},
        {"UTF-8 with mark", kBom + " 1 \r\nD:\\\xE6\x97\xA5\xE6\x9C\xAC\r\n\xF0\x9F\x98\x80\r\n\xC3\xA9\r\n",
         {1, L"D:\\日本", L"\U0001F600", L"\u00E9"}},
        {"mark only", kBom, kInitial},
        {"broken character keeps its line end", kBom + " 1 \r\n\xE6\x97\r\nB\r\nC", {1, L"\uFFFD", L"B", L"C"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settings::ReadSettings(c.bytes, kLatin1, kInitial), c.expected) << c.name;
    }
}

TEST(SettingsRead, OnlyOneChecksTheBox) {
    const std::vector<std::pair<std::string, int>> cases = {
        {" 1 ", 1}, {"1", 1}, {"   1   ", 1}, {" 0 ", 0}, {" 2 ", 0}, {"-1 ", 0}, {"", 0},
        {"yes", 0}, {" 99999999999 ", 0}, {"01", 0}, {"1.0", 0}, {"+1", 0}, {"\t1", 0}, {"1 1", 0},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(settings::ReadSettings(line + "\r\nA\r\nB\r\nC\r\n", kLatin1, kInitial).sourceFolderSwitch,
                  expected)
            << '"' << line << '"';
    }
}

TEST(SettingsRead, MalformedUtf8BecomesReplacementCharacters) {
    const std::wstring bad(1, static_cast<wchar_t>(0xFFFD));
    const std::vector<std::pair<std::string, std::wstring>> cases = {
        {"\xFF", bad},
        {"\x80", bad},
        {"a\xC3", L"a" + bad},
        {"\xC3(", bad + L"("},
        {"\xC0\xAF", bad + bad},                        // overlong
        {"\xE0\x80\x80", bad + bad + bad},              // overlong
        {"\xED\xA0\x80", bad + bad + bad},              // surrogate
        {"\xF4\x90\x80\x80", bad + bad + bad + bad},    // past U+10FFFF
        {"\xF0\x9F\x98" "x", bad + L"x"},               // cut short
        {"\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
         L"\u0080\u0800\uD7FF\uE000\uFFFF\U0010FFFF"},  // edges that are valid
    };
    for (const auto& [bytes, expected] : cases) {
        const Settings read = settings::ReadSettings(kBom + " 0 \r\n" + bytes + "\r\n", kLatin1, kInitial);
        EXPECT_EQ(read.binOutputFolder, expected) << testing::PrintToString(bytes);
    }
}

TEST(SettingsRoundTrip, ValuesComeBackWithoutOuterBlanks) {
    const std::vector<std::pair<Settings, Settings>> cases = {
        {{1, L"C:\\out", L"D:\\in", L"xml"}, {1, L"C:\\out", L"D:\\in", L"xml"}},
        {{0, L"", L"", L""}, {0, L"", L"", L""}},
        {{0, L" C:\\a b  ", L"  ", L" txt "}, {0, L"C:\\a b", L"", L"txt"}},
        {{1, L"C:\\Caf\u00E9", L"D:\\日本\\\U0001F600", L"\u00E9xt"}, {1, L"C:\\Caf\u00E9", L"D:\\日本\\\U0001F600", L"\u00E9xt"}},
        {{2, L"a", L"b", L"c"}, {0, L"a", L"b", L"c"}},
    };
    for (const auto& [saved, loaded] : cases) {
        EXPECT_EQ(settings::ReadSettings(settings::WriteSettings(saved, kLatin1), kLatin1, kInitial), loaded);
    }
}

}  // namespace
