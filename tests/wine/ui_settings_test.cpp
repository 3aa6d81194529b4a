// Load and save through the real window where the file is odd or cannot be replaced;
// the ordinary round trip is an end-to-end test.
#include "common/win_handles.h"
#include "ui_window_fixture.h"

using namespace ui;
using namespace testing_ui;

namespace {

class WindowSettings : public WindowTest {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = ScratchFolder(L"settings-" + std::wstring(name.begin(), name.end()));
        ini_ = folder_ + L"\\karvelxml.ini";
    }
    void CloseWindow() {
        SendMessageW(Main(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(Main())) << "closing is never refused";
        form_ = nullptr;
    }
    std::wstring folder_, ini_;
};

}  // namespace

TEST_F(WindowSettings, AFirstLineOtherThanZeroOrOneLoadsAsUnchecked) {
    for (const char* first : {" 2 ", "yes", "", " -1 "}) {
        WriteBytes(ini_, std::string(first) + "\r\nD:\\x\r\n\r\ntxt\r\n");
        Open(folder_);
        EXPECT_EQ(SendMessageW(Ctl(ControlId::chkBinOut), BM_GETCHECK, 0, 0), BST_UNCHECKED) << first;
        EXPECT_TRUE(Enabled(ControlId::txtBinOut)) << first;
        EXPECT_TRUE(Enabled(ControlId::cmbBinOut)) << first;
        EXPECT_EQ(Text(ControlId::txtBinOut), L"D:\\x");
        CloseWindow();
        EXPECT_EQ(ReadBytes(ini_).substr(0, 5), " 0 \r\n") << "the box and the file agree again";
    }
}

TEST_F(WindowSettings, ValuesOutsideTheCodePageSurvive) {
    Open(folder_);
    const std::wstring folder = L"D:\\\u65E5\u672C\\\u0436\u0443\u0440\u043D\u0430\u043B";
    SetWindowTextW(Ctl(ControlId::txtTxtOut), folder.c_str());
    CloseWindow();
    EXPECT_EQ(ReadBytes(ini_).substr(0, 3), "\xEF\xBB\xBF");
    Open(folder_);
    EXPECT_EQ(Text(ControlId::txtTxtOut), folder);
}

TEST_F(WindowSettings, AFileThatCannotBeReplacedKeepsItsContentAndClosingStillWorks) {
    const std::string old = " 0 \r\nD:\\old\r\nE:\\old\r\nold\r\n";
    // Read-only.
    WriteBytes(ini_, old);
    SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_READONLY);
    Open(folder_);
    SetWindowTextW(Ctl(ControlId::txtExt), L"new");
    CloseWindow();
    EXPECT_EQ(ReadBytes(ini_), old);
    SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Held open by another program without sharing.
    Open(folder_);
    win::unique_file lock(CreateFileW(ini_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    SetWindowTextW(Ctl(ControlId::txtExt), L"newer");
    CloseWindow();
    lock.reset();
    EXPECT_EQ(ReadBytes(ini_), old);

    EXPECT_EQ(test_support::NamesIn(folder_), std::vector<std::wstring>{L"karvelxml.ini"})
        << "no temporary file is left behind";
}
