// What the window cannot show: loads that give nothing, the exact replace, the code page's refusals.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "common/win_handles.h"
#include "support/files.h"

namespace {
using test_support::ReadBytes;
using test_support::ScratchFolder;
using test_support::WriteBytes;

TEST(SettingsFile, NothingLoadsFromAMissingFileAFolderOrALockedFile) {
    const std::wstring folder = ScratchFolder(L"settings-load"), ini = settings::SettingsPath(folder);
    EXPECT_EQ(ini, folder + L"\\karvelxml.ini");
    EXPECT_FALSE(settings::LoadSettings(ini)) << "missing";
    EXPECT_FALSE(settings::LoadSettings(folder)) << "folder";
    WriteBytes(ini, " 1 \r\nA\r\nB\r\nC\r\n");
    win::unique_file lock(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(settings::LoadSettings(ini)) << "locked";
    lock.reset();
    EXPECT_TRUE(settings::LoadSettings(ini)) << "unlocked";
}

TEST(SettingsFile, SavingReplacesTheWholeFileAndLeavesNothingElse) {
    const std::wstring folder = ScratchFolder(L"settings-save"), ini = settings::SettingsPath(folder);
    WriteBytes(ini, " 1 \r\nC:\\a much longer old folder\r\nD:\\old\r\nold\r\nextra\r\n");
    ASSERT_TRUE(settings::SaveSettings(ini, {0, L"C:\\a", L"", L"txt"}));
    EXPECT_EQ(ReadBytes(ini), " 0 \r\nC:\\a\r\n\r\ntxt\r\n") << "nothing of the longer old file is left";
    EXPECT_EQ(test_support::NamesIn(folder), std::vector<std::wstring>{L"karvelxml.ini"});
}

TEST(SettingsSystemAnsi, EncodesOnlyWhatComesBackExactly) {
    const settings::AnsiCodec& ansi = settings::SystemAnsiCodec();
    EXPECT_EQ(ansi.Encode(L""), std::string());
    EXPECT_EQ(ansi.Decode("C:\\Work 1"), L"C:\\Work 1");
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ(ansi.Encode(L"Caf\u00E9 \u20AC"), std::string("Caf\xE9 \x80"));
    EXPECT_EQ(ansi.Decode("Caf\xE9 \x80"), L"Caf\u00E9 \u20AC");
    for (const wchar_t* refused : {L"\u0100", L"\u65E5", L"a\U0001F600"})  // U+0100 would best-fit to A
        EXPECT_FALSE(ansi.Encode(refused)) << testing::PrintToString(std::wstring(refused));
}

}  // namespace
