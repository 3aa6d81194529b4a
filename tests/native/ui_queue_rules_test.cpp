#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/queue_rules.h"

using namespace ui;
using namespace std::string_literals;

namespace {

// Behaves like a single-selection list box: removing or clearing drops the selection.
class FakeQueue : public QueueView {
public:
    std::vector<std::wstring> entries;
    int selected = -1;
    bool removeEnabled = false;
    bool convertEnabled = false;

    int Count() const override { return static_cast<int>(entries.size()); }
    int Selected() const override { return selected; }
    void Append(const std::vector<std::wstring>& more) override { entries.insert(entries.end(), more.begin(), more.end()); }
    void RemoveAt(int index) override {
        entries.erase(entries.begin() + index);
        selected = -1;
    }
    void Clear() override {
        entries.clear();
        selected = -1;
    }
    void SetRemoveEnabled(bool on) override { removeEnabled = on; }
    void SetConvertEnabled(bool on) override { convertEnabled = on; }

    void Select(int index) {
        selected = index;
        EntrySelected(*this);
    }
};

struct Buttons {
    bool remove, convert;
};

void ExpectButtons(const FakeQueue& q, Buttons want, const char* step) {
    EXPECT_EQ(q.removeEnabled, want.remove) << "Remove selected after: " << step;
    EXPECT_EQ(q.convertEnabled, want.convert) << "Convert! after: " << step;
}

}  // namespace

TEST(QueueRules, AddCancelSelectRemoveSequence) {
    FakeQueue q;
    AddFiles(q, {});
    ExpectButtons(q, {false, false}, "cancel on an empty queue");

    AddFiles(q, {L"C:\\in\\a.xml"});
    ExpectButtons(q, {false, true}, "adding one file");

    AddFiles(q, {L"C:\\in\\a.xml", L"C:\\in\\b.xml"});
    EXPECT_EQ(q.entries, (std::vector<std::wstring>{L"C:\\in\\a.xml", L"C:\\in\\a.xml", L"C:\\in\\b.xml"}))
        << "entries are appended, duplicates kept";

    RemoveSelected(q);
    EXPECT_EQ(q.Count(), 3);
    ExpectButtons(q, {false, true}, "remove without a selection");

    q.Select(1);
    ExpectButtons(q, {true, true}, "selecting an entry");
    RemoveSelected(q);
    EXPECT_EQ(q.entries, (std::vector<std::wstring>{L"C:\\in\\a.xml", L"C:\\in\\b.xml"}));
    ExpectButtons(q, {false, true}, "removing the selected entry of several");

    q.Select(0);
    RemoveSelected(q);
    q.Select(0);
    RemoveSelected(q);
    EXPECT_EQ(q.Count(), 0);
    ExpectButtons(q, {false, false}, "removing the last entry");
}

TEST(QueueRules, ClearListKeepsButtonsAndLaterRemoveOnlyDisablesConvert) {
    FakeQueue q;
    AddFiles(q, {L"C:\\in\\a.xml", L"C:\\in\\b.xml"});
    q.Select(1);
    ClearList(q);
    EXPECT_EQ(q.Count(), 0);
    ExpectButtons(q, {true, true}, "clear list");

    AddFiles(q, {});
    ExpectButtons(q, {true, true}, "cancel after clear list");

    RemoveSelected(q);
    ExpectButtons(q, {true, false}, "remove on the cleared queue");

    AddFiles(q, {L"C:\\x.xml"});
    ExpectButtons(q, {true, true}, "adding again");
}

TEST(QueueRules, SplitsDialogResults) {
    struct Case {
        const char* what;
        std::wstring result;
        std::vector<std::wstring> entries;
    };
    const Case cases[] = {
        {"empty result", L"", {}},
        {"one file", L"C:\\in\\a.xml", {L"C:\\in\\a.xml"}},
        {"one file with trailing NULs", L"C:\\in\\a.xml\0\0junk"s, {L"C:\\in\\a.xml"}},
        {"several files", L"C:\\in\0a.xml\0b.xml\0c.xml"s, {L"C:\\in\\a.xml", L"C:\\in\\b.xml", L"C:\\in\\c.xml"}},
        {"drive root keeps the doubled backslash", L"C:\\\0a.xml\0b.xml"s, {L"C:\\\\a.xml", L"C:\\\\b.xml"}},
        {"stops at the first empty part", L"D:\\x\0a.xml\0\0ghost.xml"s, {L"D:\\x\\a.xml"}},
        {"unicode names", L"D:\\Daten\0Gr\u00FC\u00DFe-\u65E5\u672C.xml"s, {L"D:\\Daten\\Gr\u00FC\u00DFe-\u65E5\u672C.xml"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitDialogResult(c.result), c.entries) << c.what;
}

TEST(QueueRules, FiltersAndPatterns) {
    EXPECT_EQ(BinaryFilter(), L"Binary XML Files (*.xml)|*.xml");
    EXPECT_EQ(TextFilter(L"txt"), L"Text XML Files (*.txt)|*.txt");
    EXPECT_EQ(TextFilter(L""), L"Text XML Files (*.)|*.");
    EXPECT_EQ(FilterPattern(BinaryFilter()), L"*.xml");
    EXPECT_EQ(FilterPattern(TextFilter(L"text")), L"*.text");
}
