// The built program, started as a user starts it, with the real open-file dialog.
#include <gtest/gtest.h>

#include <set>

#include "test_paths.h"
#include "tool_process.h"

using namespace e2e;
using ui::ControlId;

TEST(WindowEndToEnd, StartsIntoItsWindowWithTheInitialState) {
    const std::wstring install = MakeInstall(L"start");
    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    wchar_t caption[64] = {};
    GetWindowTextW(tool.Main(), caption, 64);
    EXPECT_STREQ(caption, L"Karvel Quillon Front-end");
    RECT client;
    GetClientRect(tool.Main(), &client);
    EXPECT_EQ(client.right, 544);
    EXPECT_EQ(client.bottom, 556);
    EXPECT_TRUE(tool.Lines(ControlId::lstBin).empty());
    EXPECT_EQ(tool.Text(ControlId::txtExt), L"txt");
    EXPECT_FALSE(tool.Enabled(ControlId::cmbBinCon));
    EXPECT_FALSE(tool.Enabled(ControlId::cmbTxtRem));
    EXPECT_TRUE(tool.Enabled(ControlId::cmbBinAdd));
    EXPECT_FALSE(tool.Enabled(ControlId::Label2)) << "the credits line is greyed";
    EXPECT_TRUE(tool.Close());
}

TEST(WindowEndToEnd, TheProgramFileCarriesSixIconImages) {
    HMODULE image = LoadLibraryExW(KARVEL_EXE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
    const WORD count = *reinterpret_cast<const WORD*>(bytes + 4);
    std::multiset<std::pair<int, int>> images;  // size, bits per pixel
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = bytes + 6 + i * 14;
        images.insert({entry[0] ? entry[0] : 256, *reinterpret_cast<const WORD*>(entry + 6)});
    }
    EXPECT_EQ(images, (std::multiset<std::pair<int, int>>{{16, 8}, {16, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}}));
    FreeLibrary(image);
}

TEST(WindowEndToEnd, TheRealOpenFileDialogAddsOneFileThreeFilesAndCancels) {
    const std::wstring install = MakeInstall(L"dialog");
    const std::wstring data = ScratchFolder(L"dialog-data");
    for (const wchar_t* name : {L"a.xml", L"b.xml", L"c.xml", L"one.xml"}) WriteBytes(data + L"\\" + name, "<x/>");
    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);

    ASSERT_TRUE(tool.AddFiles(ControlId::cmbBinAdd, ControlId::lstBin, data, {L"one.xml"}));
    EXPECT_TRUE(tool.Enabled(ControlId::cmbBinCon));
    ASSERT_TRUE(tool.AddFiles(ControlId::cmbBinAdd, ControlId::lstBin, data, {L"a.xml", L"b.xml", L"c.xml"}));
    EXPECT_EQ(tool.Lines(ControlId::lstBin), (std::vector<std::wstring>{data + L"\\one.xml", data + L"\\a.xml",
                                                                       data + L"\\b.xml", data + L"\\c.xml"}));

    tool.Click(ControlId::cmbTxtAdd);
    HWND dialog = tool.WaitForDialog();
    EXPECT_FALSE(IsWindowEnabled(tool.Main())) << "the dialog is modal to the window";
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(tool.WaitForDialogGone());
    Sleep(200);
    EXPECT_TRUE(tool.Lines(ControlId::lstTxt).empty());
    EXPECT_FALSE(tool.Enabled(ControlId::cmbTxtCon));
    EXPECT_TRUE(tool.Close());
}
