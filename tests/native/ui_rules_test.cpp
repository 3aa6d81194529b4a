// The dialog's result and filters, the layout at any DPI and the status log's menu, without a window.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/colours.h"
#include "ui/controls.h"
#include "ui/input_rules.h"
#include "ui/menus.h"
#include "ui/progress_text.h"
#include "ui/queue_rules.h"
#include "ui/status_log.h"

using namespace ui;
using namespace std::string_literals;

namespace {

TEST(QueueRules, SplitsDialogResultsAndFilterPatternsAndWalksDroppedFolders) {
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {L"", {}},
        {L"C:\\in\\a.xml", {L"C:\\in\\a.xml"}},
        {L"C:\\in\0a.xml\0b.xml\0c.xml"s, {L"C:\\in\\a.xml", L"C:\\in\\b.xml", L"C:\\in\\c.xml"}},
        {L"C:\\\0a.xml\0b.xml"s, {L"C:\\\\a.xml", L"C:\\\\b.xml"}},  // a drive root keeps the doubled backslash
        {L"D:\\x\0a.xml\0\0ghost.xml"s, {L"D:\\x\\a.xml"}},          // the first empty part ends the list
    };
    for (const auto& [result, entries] : cases)
        EXPECT_EQ(SplitDialogResult(result), entries) << testing::PrintToString(result);
    EXPECT_EQ(TextFilter(L"a.b"), L"Text XML Files (*.a.b)|*.a.b");
    EXPECT_EQ(FilterPattern(TextFilter(L"")), L"*.");
    EXPECT_EQ(FilterPattern(BinaryFilter()), L"*.xml");
    // A dropped folder is walked into cloud placeholders, but not through links.
    constexpr std::uint32_t folder = 0x10, reparse = 0x400, offline = 0x1000;
    const std::tuple<std::uint32_t, std::uint32_t, bool> walks[] = {
        {folder, 0, true},
        {folder | reparse | offline, 0x9000001A, true},  // a OneDrive folder not yet on this machine
        {folder | reparse, 0x9000601A, true},            // another cloud provider's
        {folder | reparse, 0xA0000003, false},           // a junction
        {folder | reparse, 0xA000000C, false},           // a symbolic link
        {0x20, 0, false},                                // a file
    };
    for (const auto& [attributes, tag, walked] : walks) EXPECT_EQ(WalkInto(attributes, tag), walked) << std::hex << tag;

    // The folders that could not be read: twenty lines, then how many more.
    std::vector<UnreadFolder> unread(22, {L"C:\\d", L"denied"});
    unread[19].path = L"C:\\e";
    const std::vector<std::wstring> lines = UnreadFolderLines(unread);
    EXPECT_EQ(lines.size() == 21 ? lines[18] + L"|" + lines[19] + L"|" + lines[20] : L"",
              L"Folder not read: C:\\d (denied)|Folder not read: C:\\e (denied)|... and 2 more folders not read");
    EXPECT_EQ(UnreadFolderLines(std::vector(unread.begin(), unread.begin() + 20)).size(), 20u);
}

TEST(Layout, ScaledWithTheDialogFontInPointsHeardByScreenReadersAndHighContrastKeepsItsColours) {
    EXPECT_EQ((std::vector{Scale(95, 144), Scale(25, 120), Scale(13, 120)}), (std::vector{143, 31, 16}));
    // The stock font as two systems give it: -11 at 96 DPI, -16 (Windows) or -17 (Wine) at 144.
    EXPECT_EQ((std::vector{FontPoints(-11, 96), FontPoints(-16, 144), FontPoints(-17, 144), FontPoints(-13, 120)}),
              (std::vector{8, 8, 8, 8}));
    EXPECT_EQ((std::vector{DialogFontHeight(8, 96), DialogFontHeight(8, 120), DialogFontHeight(8, 144),
                           DialogFontHeight(8, 192)}),
              (std::vector{-11, -13, -16, -21}));
    // Screen readers hear each control by its frame or role.
    std::wstring names;
    for (const auto& c : Controls())
        if (!ScreenReaderName(c).empty())
            names += std::wstring(c.name) + L"=" + std::wstring(ScreenReaderName(c)) + L";";
    EXPECT_EQ(names,
              L"lstBin=Convert from binary to text XML;txtBinOut=Output folder;cmbBinOut=Choose output folder;"
              L"lstTxt=Convert from text to binary XML;cmbTxtOut=Choose output folder;lstStatus=Status;");
    // Dark red, or in high contrast the system's text colour, on the face; the greyed box on the face in high contrast.
    EXPECT_EQ((std::vector{FrameCaptionColours(false), FrameCaptionColours(true), GreyedBoxColours(11, false),
                           GreyedBoxColours(11, true)}),
              (std::vector<TextColours>{{DarkRed, 15}, {18, 15}, {17, 11}, {17, 15}}));
}

// "+" for each command that can be chosen, "-" for each greyed one, "|" for a separator.
std::string States(const std::vector<MenuItem>& items) {
    std::string states;
    for (const MenuItem& item : items) states += item.command == 0 ? '|' : item.enabled ? '+' : '-';
    return states;
}

TEST(StatusLog, MenuClipboardFileTheProgressTipsAndWhenTheLogFollows) {
    std::wstring texts;
    for (const MenuItem& item : LogMenu(1, 0, true)) texts += item.command ? item.text + L";" : L"|";
    EXPECT_EQ(texts, L"Copy;Copy all;Save log as...;|Open containing folder;");
    EXPECT_EQ(States(LogMenu(0, -1, false)) + " " + States(LogMenu(1, -1, false)) + " " + States(LogMenu(2, 1, true)),
              "---|- -++|- +++|+");
    const std::vector<std::wstring> lines{L"Processing caf\u00E9.xml... DONE", L"Conversion complete"};
    EXPECT_EQ(ClipboardText(lines), L"Processing caf\u00E9.xml... DONE\r\nConversion complete");
    EXPECT_EQ(LogFileBytes(lines), "\xEF\xBB\xBFProcessing caf\xC3\xA9.xml... DONE\r\nConversion complete\r\n");
    EXPECT_EQ(LogFileBytes({}), "\xEF\xBB\xBF");

    // "Open containing folder": the folder with the file selected, or what is missing.
    const auto show = [](const std::wstring& file, const std::wstring& existing) {
        const auto exists = [&](const std::wstring& path) {
            return existing.find(L"<" + path + L">") != existing.npos;
        };
        const FolderToShow shown = ShowInFolder(file, exists, exists);
        return shown.folder + L"|" + shown.file + L"|" + shown.missing;
    };
    EXPECT_EQ(show(L"C:\\\\in\\a.xml", L"<C:\\in\\><C:\\in\\a.xml>"), L"C:\\in|C:\\in\\a.xml|");
    EXPECT_EQ(show(L"C:\\in\\a.xml", L"<C:\\in\\>"), L"||The file C:\\in\\a.xml does not exist.");
    EXPECT_EQ(show(L"C:\\in\\a.xml", L"<C:\\in\\a.xml>"), L"||The folder C:\\in does not exist.");

    // The progress tips, and when the log follows its end.
    using std::chrono::milliseconds, std::chrono::seconds, std::chrono::minutes, std::chrono::hours;
    const std::pair<std::wstring, std::wstring> tips[] = {
        {RunningText(1, 100, seconds(30)), L"1 of 100 files"},  // nothing finished: no estimate
        {RunningText(3, 100, seconds(4)), L"3 of 100 files"},   // neither three files nor five seconds
        {RunningText(4, 100, seconds(3)), L"4 of 100 files, about 2 minutes left"},  // 97 at a second
        {RunningText(2, 100, seconds(5)), L"2 of 100 files, about 8 minutes left"},  // five seconds: 99 at 5
        {RunningText(91, 100, seconds(90), 4), L"91 of 100 files, 4 at once, about 10 seconds left"},
        {RunningText(11, 1000, minutes(10)), L"11 of 1000 files, about 16 hours 30 minutes left"},
        {FinishedText(100, 100, seconds(133)), L"100 files in 2 minutes 13 seconds"},
        {FinishedText(37, 100, milliseconds(61500)), L"37 of 100 files in 1 minute 1 second"},
        {FinishedText(1, 1, milliseconds(999)), L"1 file in less than a second"},
        {FinishedText(5, 5, hours(2) + minutes(1) + seconds(59)), L"5 files in 2 hours 1 minute"},
    };
    for (const auto& [tip, expected] : tips) EXPECT_EQ(tip, expected);
    // A log of 10 lines, 4 rows in view: following from the row that shows the last line.
    EXPECT_EQ((std::vector{FollowsEnd(0, 4, 0), FollowsEnd(6, 4, 10), FollowsEnd(5, 4, 10), FollowsEnd(0, 4, 4)}),
              (std::vector{true, true, false, true}));
    // A batch's progress bar takes the mouse, for its tip; an idle "Convert!" takes no second press, nor a held key.
    EXPECT_TRUE(TakenWhileWorking(Input::Hover, Target::ProgressBar) &&
                TakenWhenIdle(Input::Mouse, Target::ConvertButton));
    EXPECT_FALSE(TakenWhileWorking(Input::Hover, Target::Other) ||
                 TakenWhenIdle(Input::DoubleClick, Target::ConvertButton) ||
                 TakenWhenIdle(Input::PressRepeat, Target::ConvertButton));
}

// A queue in memory: its entries with their marks, its selection and its two buttons.
struct FakeQueue final : QueueView {
    std::vector<std::pair<wchar_t, bool>> entries;
    int selected = -1;
    bool remove = false, convert = false;
    int Count() const override { return static_cast<int>(entries.size()); }
    int Selected() const override { return selected; }
    void Append(const std::vector<std::wstring>& added) override {
        for (const auto& entry : added) entries.emplace_back(entry[0], false);
    }
    void RemoveAt(int index) override {
        entries.erase(entries.begin() + index);
        selected = selected == index ? -1 : selected - (selected > index);
    }
    void RemoveEntries(const std::vector<bool>& removed) override {
        for (int i = Count() - 1; i >= 0; --i)
            if (removed.at(i)) RemoveAt(i);
    }
    void Clear() override { entries.clear(), selected = -1; }
    void SetRemoveEnabled(bool enabled) override { remove = enabled; }
    void SetConvertEnabled(bool enabled) override { convert = enabled; }
    bool Converted(int index) const override { return entries.at(index).second; }
    void SetConverted(int index, bool converted) override { entries.at(index).second = converted; }
};

TEST(QueueRules, ButtonsAndTheMenuFollowEachSequenceRemoveConvertedTakesOutWhatTheLastBatchConvertedAndFilesAtOnce) {
    // From the queue `start`: '+' adds the next letter through "Add files...", '0' is a cancelled one, 'a' adds
    // "a" again; 's' and a digit select that entry, 'n' leaves none selected; '-' is "Remove selected", 'c'
    // "Clear list", 'r' "Remove converted files"; 'B' a batch begins, a digit after it: that entry converted.
    // The buttons: "Remove selected", "Convert!"; the menu: "Remove converted files", "Remove selected",
    // "Clear list", "Open containing folder".
    // clang-format off
    const std::tuple<const wchar_t*, const char*, const wchar_t*, const char*, std::string> cases[] = {
        {L"", "0", L"", "00", "--+|-"},           {L"", "+", L"a", "01", "--+|-"},
        {L"", "++-", L"ab", "01", "--+|-"},       {L"", "+++s1", L"abc", "11", "-++|+"},
        {L"", "+++s1-", L"ac", "01", "--+|-"},    {L"", "+s0-", L"", "00", "--+|-"},
        {L"", "++s1c", L"", "11", "-++|-"},       {L"", "++s1c0", L"", "11", "-++|-"},
        {L"", "++s1c-", L"", "10", "-++|-"},      {L"", "++s1c-+", L"c", "11", "-++|-"},
        {L"abcd", "n", L"abcd", "01", "--+|-"},   {L"abcd", "B02", L"abcd", "01", "+-+|-"},
        {L"abcd", "B02r", L"bd", "01", "--+|-"},  {L"abcd", "B02ar", L"bda", "01", "--+|-"},
        {L"abcd", "B02s1-r", L"d", "01", "--+|-"}, {L"abcd", "B0B1r", L"acd", "01", "--+|-"},
        {L"abcd", "B0cr", L"", "00", "--+|-"},    {L"abcd", "B2s0", L"abcd", "11", "+++|+"},
        {L"abcd", "B0s0r", L"bcd", "01", "--+|-"}, {L"abcd", "B0123r", L"", "00", "--+|-"},
    };
    // clang-format on
    for (const auto& [start, steps, kept, buttons, menu] : cases) {
        FakeQueue queue;
        for (const wchar_t* entry = start; *entry; ++entry) AddFiles(queue, {std::wstring(1, *entry)});
        bool batch = false;
        wchar_t next = L'a';
        for (const char* step = steps; *step; ++step) {
            if (*step == 'B') BatchStarted(queue), batch = true;
            if (*step >= '0' && *step <= '9' && batch) queue.SetConverted(*step - '0', true);
            if (*step == '0' && !batch) AddFiles(queue, {});
            if (*step == '+') AddFiles(queue, {std::wstring(1, next++)});
            if (*step == 'a') AddFiles(queue, {L"a"});
            if (*step == 's') queue.selected = *++step - '0', EntrySelected(queue);
            if (*step == 'n') queue.selected = -1, EntrySelected(queue);
            if (*step == '-') RemoveSelected(queue);
            if (*step == 'r') RemoveConverted(queue);
            if (*step == 'c') ClearList(queue);
        }
        std::wstring left;
        for (const auto& [entry, mark] : queue.entries) left += entry;
        EXPECT_EQ(left, kept) << steps;
        EXPECT_EQ(std::string(queue.remove ? "1" : "0") + (queue.convert ? "1" : "0"), buttons) << steps;
        EXPECT_EQ(States(QueueMenu(queue, queue.remove, true, 1, 1)), menu + "|++++") << steps;
    }
    // Below them, how many files at once: 1, 2, 4, 8, the processors and the current number, which is checked.
    std::wstring texts;
    for (const MenuItem& item : FilesAtOnceItems(12, 12)) texts += (item.checked ? L"*" : L"") + item.text + L";";
    EXPECT_EQ(texts, L"One file at a time;2 files at a time;4 files at a time;8 files at a time;*12 files at a time;");
    // Each item as the number its command chooses, "*" when checked; processors 0: not known.
    const std::tuple<int, int, std::wstring> choices[] = {
        {1, 1, L"1* 2 4 8 "},     {2, 2, L"1 2* 4 8 "},     {3, 1, L"1* 2 3 4 8 "},   {4, 8, L"1 2 4 8* "},
        {6, 6, L"1 2 4 6* 8 "},   {6, 5, L"1 2 4 5* 6 8 "}, {8, 1, L"1* 2 4 8 "},     {12, 32, L"1 2 4 8 12 32* "},
        {32, 1, L"1* 2 4 8 32 "}, {33, 4, L"1 2 4* 8 32 "}, {64, 1, L"1* 2 4 8 32 "}, {0, 1, L"1* 2 4 8 "}};
    for (const auto& [processors, current, expected] : choices) {
        std::wstring items;
        for (const MenuItem& item : FilesAtOnceItems(processors, current))
            items += std::to_wstring(item.command - FilesAtOnceCommand) + (item.checked ? L"* " : L" ");
        EXPECT_EQ(items, expected) << processors << " processors, " << current << " now";
    }
}

}  // namespace
