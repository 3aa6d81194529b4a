// Loads that give nothing, so the window keeps its own values.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/win_handles.h"
#include "settings/settings_file.h"
#include "support/files.h"

TEST(SettingsFile, NothingLoadsFromAMissingFileAFolderOrALockedFile) {
    const std::wstring folder = test_support::ScratchFolder(L"settings-load"), ini = folder + L"\\karvelxml.ini";
    EXPECT_FALSE(settings::LoadSettings(ini)) << "missing";
    EXPECT_FALSE(settings::LoadSettings(folder)) << "folder";
    test_support::WriteBytes(ini, " 1 \r\nA\r\nB\r\nC\r\n");
    win::unique_file lock(CreateFileW(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(settings::LoadSettings(ini)) << "locked";
    lock.reset();
    EXPECT_TRUE(settings::LoadSettings(ini)) << "unlocked";
}
