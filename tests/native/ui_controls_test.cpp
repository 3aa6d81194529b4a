#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ui/controls.h"

using namespace ui;

TEST(ControlTable, InitialTabWalkSkipsFramesLabelsProgressAndDisabled) {
    std::vector<const ControlDescription*> order;
    for (const auto& c : Controls())
        if (c.tab >= 0) order.push_back(&c);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tab < b->tab; });
    std::vector<std::wstring> walk;
    for (auto* c : order)
        if (TakesFocus(c->kind) && c->enabled) walk.push_back(c->name);
    const std::vector<std::wstring> expected{L"lstBin",   L"cmbBinAdd", L"txtBinOut", L"cmbBinOut", L"cmbTxtOut",
                                             L"txtTxtOut", L"cmbTxtAdd", L"lstTxt",    L"lstStatus", L"chkBinOut",
                                             L"txtExt",   L"cmbBinCle", L"cmbTxtCle"};
    EXPECT_EQ(walk, expected);
}

TEST(ControlTable, TwentyFiveControlsWithDistinctTabsInsideTheirContainers) {
    EXPECT_EQ(Controls().size(), 25u);
    std::set<int> tabs, ids;
    for (const auto& c : Controls()) {
        ids.insert(static_cast<int>(c.id));
        if (c.tab >= 0) {
            EXPECT_TRUE(tabs.insert(c.tab).second) << "tab " << c.tab << " used twice";
        }
        if (c.container == Window || c.kind == Kind::OpenFileDialog) continue;
        const ControlDescription& frame = Description(c.container);
        EXPECT_EQ(frame.kind, Kind::Frame);
        EXPECT_LE(c.left + c.width, frame.width) << c.name;
        EXPECT_LE(c.top + c.height, frame.height) << c.name;
    }
    EXPECT_EQ(ids.size(), 25u);
    EXPECT_EQ(tabs.size(), 24u) << "every control but the dialog has a tab index";
    for (const auto& c : Controls())
        if (c.container == Window && c.kind != Kind::OpenFileDialog) {
            EXPECT_LE(c.left + c.width, ClientWidth);
            EXPECT_LE(c.top + c.height, ClientHeight);
        }
}
