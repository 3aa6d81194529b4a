// The four settings across two runs of the built program, and its real folder dialog.
#include <gtest/gtest.h>

#include "tool_process.h"

using namespace e2e;
using ui::ControlId;

TEST(SettingsEndToEnd, FourValuesSurviveARestartWithTheirEnabledStates) {
    const std::wstring install = MakeInstall(L"settings");
    const std::wstring ini = install + L"\\karvelxml.ini";
    {
        Tool tool(install);
        ASSERT_NE(tool.Main(), nullptr);
        EXPECT_EQ(ReadBytes(ini), "<missing>");
        tool.SetText(ControlId::txtBinOut, L"D:\\Work\\Decoded");
        tool.SetText(ControlId::txtTxtOut, L"D:\\Work\\Encoded");
        tool.SetText(ControlId::txtExt, L"xml");
        SendMessageW(tool.Ctl(ControlId::chkBinOut), BM_CLICK, 0, 0);
        ASSERT_TRUE(tool.Close());
    }
    EXPECT_EQ(ReadBytes(ini), " 1 \r\nD:\\Work\\Decoded\r\nD:\\Work\\Encoded\r\nxml\r\n");

    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    EXPECT_EQ(SendMessageW(tool.Ctl(ControlId::chkBinOut), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(tool.Text(ControlId::txtBinOut), L"D:\\Work\\Decoded");
    EXPECT_EQ(tool.Text(ControlId::txtTxtOut), L"D:\\Work\\Encoded");
    EXPECT_EQ(tool.Text(ControlId::txtExt), L"xml");
    EXPECT_FALSE(tool.Enabled(ControlId::txtBinOut));
    EXPECT_FALSE(tool.Enabled(ControlId::cmbBinOut));
    EXPECT_TRUE(tool.Enabled(ControlId::txtTxtOut));
    EXPECT_TRUE(tool.Close());
}

TEST(SettingsEndToEnd, CancellingTheRealFolderDialogKeepsTheFolder) {
    const std::wstring install = MakeInstall(L"folder-dialog");
    Tool tool(install);
    ASSERT_NE(tool.Main(), nullptr);
    tool.SetText(ControlId::txtTxtOut, L"D:\\kept");
    tool.Click(ControlId::cmbTxtOut);
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(FindWindowExW(dialog, nullptr, L"Static", L"Select output folder"), nullptr);
    EXPECT_FALSE(IsWindowEnabled(tool.Main())) << "the folder dialog is modal to the window";
    PostMessageW(tool.Main(), WM_CLOSE, 0, 0);  // must not close the window under the dialog
    Sleep(200);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(tool.WaitForDialogGone());
    Sleep(200);
    EXPECT_TRUE(IsWindow(tool.Main()));
    EXPECT_EQ(tool.Text(ControlId::txtTxtOut), L"D:\\kept");
    EXPECT_TRUE(tool.Close());
}
