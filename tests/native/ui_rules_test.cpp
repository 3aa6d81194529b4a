// The dialog's result and filters, the layout at any DPI and the status log's menu, without a window.
#include <gtest/gtest.h>

#include "ui/controls.h"
#include "ui/queue_rules.h"
#include "ui/status_log.h"

using namespace ui;
using namespace std::string_literals;

namespace {

TEST(QueueRules, SplitsDialogResultsAndFilterPatterns) {
    const struct {
        std::wstring result;
        std::vector<std::wstring> entries;
    } cases[] = {
        {L"", {}},
        {L"C:\\in\\a.xml", {L"C:\\in\\a.xml"}},
        {L"C:\\in\0a.xml\0b.xml\0c.xml"s, {L"C:\\in\\a.xml", L"C:\\in\\b.xml", L"C:\\in\\c.xml"}},
        {L"C:\\\0a.xml\0b.xml"s, {L"C:\\\\a.xml", L"C:\\\\b.xml"}},  // a drive root keeps the doubled backslash
        {L"D:\\x\0a.xml\0\0ghost.xml"s, {L"D:\\x\\a.xml"}},          // the first empty part ends the list
    };
    for (const auto& c : cases) EXPECT_EQ(SplitDialogResult(c.result), c.entries) << testing::PrintToString(c.result);
    EXPECT_EQ(TextFilter(L"a.b"), L"Text XML Files (*.a.b)|*.a.b");
    EXPECT_EQ(FilterPattern(TextFilter(L"")), L"*.");
    EXPECT_EQ(FilterPattern(BinaryFilter()), L"*.xml");
}

TEST(QueueRules, ADroppedFolderIsWalkedIntoCloudPlaceholdersButNotThroughLinks) {
    constexpr std::uint32_t folder = 0x10, reparse = 0x400, offline = 0x1000;
    const struct {
        std::uint32_t attributes, tag;
        bool walked;
    } cases[] = {
        {folder, 0, true},
        {folder | reparse | offline, 0x9000001A, true},  // a OneDrive folder not yet on this machine
        {folder | reparse, 0x9000601A, true},            // another cloud provider's
        {folder | reparse, 0xA0000003, false},           // a junction
        {folder | reparse, 0xA000000C, false},           // a symbolic link
        {0x20, 0, false},                                // a file
    };
    for (const auto& c : cases) EXPECT_EQ(WalkInto(c.attributes, c.tag), c.walked) << std::hex << c.tag;
}

}  // namespace

namespace {

TEST(Layout, ScaledToTheNearestPixelWithTheDialogFontInPoints) {
    EXPECT_EQ((std::vector{Scale(95, 144), Scale(25, 120), Scale(13, 120)}), (std::vector{143, 31, 16}));
    // The stock font as two systems give it: -11 at 96 DPI, -16 (Windows) or -17 (Wine) at 144.
    EXPECT_EQ((std::vector{FontPoints(-11, 96), FontPoints(-16, 144), FontPoints(-17, 144), FontPoints(-13, 120)}),
              (std::vector{8, 8, 8, 8}));
    EXPECT_EQ((std::vector{DialogFontHeight(8, 96), DialogFontHeight(8, 120), DialogFontHeight(8, 144),
                           DialogFontHeight(8, 192)}),
              (std::vector{-11, -13, -16, -21}));
}

TEST(Layout, ScreenReadersHearAQueueOrTheLogByItsFrameAndDotsByWhatTheyDo) {
    std::wstring names;
    for (const auto& c : Controls())
        if (!ScreenReaderName(c).empty())
            names += std::wstring(c.name) + L"=" + std::wstring(ScreenReaderName(c)) + L";";
    EXPECT_EQ(names,
              L"lstBin=Convert from binary to text XML;cmbBinOut=Choose output folder;"
              L"lstTxt=Convert from text to binary XML;cmbTxtOut=Choose output folder;lstStatus=Status;");
}

TEST(StatusLog, MenuClipboardAndFile) {
    std::wstring menu;
    for (const auto& [lines, selected] : {std::pair{0, -1}, {2, -1}, {2, 1}})
        for (const LogMenuItem& item : LogMenu(lines, selected))
            menu += item.text + std::wstring(item.enabled ? L"+ " : L"- ");
    EXPECT_EQ(menu,
              L"Copy- Copy all- Save log as...- Copy- Copy all+ Save log as...+ Copy+ Copy all+ Save log as...+ ");
    const std::vector<std::wstring> lines{L"Processing caf\u00E9.xml... DONE", L"Conversion complete"};
    EXPECT_EQ(ClipboardText(lines), L"Processing caf\u00E9.xml... DONE\r\nConversion complete");
    EXPECT_EQ(LogFileBytes(lines), "\xEF\xBB\xBFProcessing caf\xC3\xA9.xml... DONE\r\nConversion complete\r\n");
    EXPECT_EQ(LogFileBytes({}), "\xEF\xBB\xBF");
}

}  // namespace
