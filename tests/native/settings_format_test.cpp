// The settings file's bytes, written and read, with a Latin-1 code page standing in for the system's.
#include <gtest/gtest.h>

#include <tuple>

#include "settings/settings_format.h"
#include "settings/settings_location.h"
#include "support/latin1.h"

namespace {
using settings::Settings;

auto Tie(const Settings& s) {  // comparable and printable
    return std::tuple(s.outputToSourceFolder, s.binOutputFolder, s.txtOutputFolder, s.extension, s.filesAtOnce);
}
std::wstring Bad(size_t count) { return std::wstring(count, static_cast<wchar_t>(0xFFFD)); }

const test_support::Latin1 kLatin1;
const std::string kBom = "\xEF\xBB\xBF";
const Settings kInitial{1, L"ib", L"it", L"ie", 3};
Settings Read(const std::string& bytes) { return settings::ReadSettings(bytes, kLatin1, kInitial); }

TEST(SettingsFormat, FourCrLfLinesOrFiveInAnsiOrElseUtf8WithAMarkReadBackAsDamagedHandEditedAndMalformedFilesAre) {
    // clang-format off
    const std::pair<Settings, std::string> cases[] = {
        {{1, L"C:\\Caf\u00E9", L"", L"txt", 1}, " 1 \r\nC:\\Caf\xE9\r\n\r\ntxt\r\n"},  // fits: ANSI, no mark
        {{0, L"", L"", L"", 4}, " 0 \r\n\r\n\r\n\r\n 4 \r\n"}, {{1, L"", L"", L"", 32}, " 1 \r\n\r\n\r\n\r\n 32 \r\n"},
        // One value outside the code page turns the whole file into UTF-8, the é too.
        {{0, L"C:\\Caf\u00E9", L"D:\\\u65E5", L"\U0001F600", 12},
         kBom + " 0 \r\nC:\\Caf\xC3\xA9\r\nD:\\\xE6\x97\xA5\r\n\xF0\x9F\x98\x80\r\n 12 \r\n"},
    };
    // clang-format on
    for (const auto& [values, bytes] : cases) {
        EXPECT_EQ(settings::WriteSettings(values, kLatin1), bytes);
        EXPECT_EQ(Tie(Read(bytes)), Tie(values));
    }
    // An unpaired surrogate has no UTF-8 form.
    EXPECT_EQ(settings::WriteSettings({0, std::wstring(1, static_cast<wchar_t>(0xD800)), L"", L"\u65E5", 1}, kLatin1),
              kBom + " 0 \r\n\xEF\xBF\xBD\r\n\r\n\xE6\x97\xA5\r\n");
    // clang-format off
    const std::pair<std::string, Settings> reads[] = {
        {"   0\r\n  a b  \r\n\tx\t \r\n   \r\n", {0, L"a b", L"\tx\t", L"", 1}},  // trims blanks only
        {kBom, {1, L"ib", L"it", L"ie", 1}}, {" 0 \r\nA", {0, L"A", L"it", L"ie", 1}},  // no fifth line: 1, not 3
        {" 1 \r\nA\r\nB\r\nC\r\nD\r\n", {1, L"A", L"B", L"C", 1}},
        {" 1 \nA\rB\r\nC", {1, L"A", L"B", L"C", 1}},     // mixed ends, none at the end
        {" 1 \r\r\nB\n\rC\r\n", {1, L"", L"B", L"", 1}},  // CR then CR LF, LF then CR: two ends each
        // Without the mark: ANSI, UTF-8 look-alikes too.
        {" 0 \r\nCaf\xE9\r\n\xC3\xA9\r\n\xEF\xBB\r\n", {0, L"Caf\u00E9", L"\u00C3\u00A9", L"\u00EF\u00BB", 1}},
        {kBom + " 1 \r\n\xE6\x97\r\nB\r\nC", {1, Bad(1), L"B", L"C", 1}},  // a broken character keeps its line end
    };
    // As the first line only "1" checks the box; as the fifth, digits from 1 to 32, blanks trimmed, else 1.
    const std::tuple<std::string, int, int> lines[] = {
        {" 1 ", 1, 1}, {"1", 1, 1}, {" 2 ", 0, 2}, {"-1 ", 0, 1}, {"yes", 0, 1}, {"01", 0, 1}, {" 99999999999 ", 0, 1},
        {"\t1", 0, 1}, {"1 1", 0, 1}, {"  32  ", 0, 32}, {" 33 ", 0, 1}, {" 0 ", 0, 1}, {"", 0, 1}, {"+4", 0, 1},
        {"4x", 0, 1}, {"08", 0, 8}, {"4294967300", 0, 1}};
    // Malformed UTF-8 after the mark: each broken sequence, up to the byte that breaks it, is one U+FFFD.
    const std::pair<std::string, std::wstring> utf8[] = {
        {"\xFF", Bad(1)}, {"a\xC3", L"a" + Bad(1)}, {"\xC3(", Bad(1) + L"("}, {"\xF0\x9F\x98" "x", Bad(1) + L"x"},
        // Overlong twice, a surrogate, past U+10FFFF; then the valid edges.
        {"\xC0\xAF", Bad(2)}, {"\xE0\x80\x80", Bad(3)}, {"\xED\xA0\x80", Bad(3)}, {"\xF4\x90\x80\x80", Bad(4)},
        {"\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
         L"\u0080\u0800\uD7FF\uE000\uFFFF\U0010FFFF"},
    };
    // clang-format on
    for (const auto& [bytes, expected] : reads)
        EXPECT_EQ(Tie(Read(bytes)), Tie(expected)) << testing::PrintToString(bytes);
    for (const auto& [line, first, fifth] : lines) {
        EXPECT_EQ(Read(line + "\r\nA\r\n").outputToSourceFolder, first == 1) << '"' << line << '"';
        EXPECT_EQ(Read(" 0 \r\n\r\n\r\n\r\n" + line + "\r\n").filesAtOnce, fifth) << '"' << line << '"';
    }
    for (const auto& [bytes, expected] : utf8)
        EXPECT_EQ(Read(kBom + " 0 \r\n" + bytes + "\r\n").binOutputFolder, expected) << testing::PrintToString(bytes);
}

TEST(SettingsLocation, BesideTheProgramWhenItsFolderCanBeWrittenElseTheUsersOwn) {
    const auto where = [](bool writable, bool userFileExists) {
        const auto l = settings::ChooseLocation(L"C:\\Tools", writable, L"C:\\U\\Karvel", userFileExists);
        return std::vector{l.read, l.write};
    };
    const std::wstring beside = L"C:\\Tools\\karvelxml.ini", user = L"C:\\U\\Karvel\\karvelxml.ini";
    EXPECT_EQ(where(true, true), (std::vector{beside, beside}));
    EXPECT_EQ(where(false, false), (std::vector{beside, user}))
        << "the first values still come from beside the program";
    EXPECT_EQ(where(false, true), (std::vector{user, user}));
    EXPECT_EQ(settings::ChooseLocation(L"C:\\Tools", false, L"", false).write, beside) << "no user folder known";
}

}  // namespace
