#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/controls.h"

using namespace ui;

TEST(ControlTable, InitialTabWalkSkipsFramesLabelsProgressAndDisabled) {
    std::wstring walk;
    for (int tab = 0; tab < static_cast<int>(Controls().size()); ++tab)
        for (const auto& c : Controls())
            if (c.tab == tab && c.kind != Kind::Frame && c.kind != Kind::Label && c.kind != Kind::ProgressBar && c.enabled) walk += c.name + std::wstring(L" ");
    EXPECT_EQ(walk, L"lstBin cmbBinAdd txtBinOut cmbBinOut cmbTxtOut txtTxtOut cmbTxtAdd lstTxt lstStatus chkBinOut "
                    L"txtExt cmbBinCle cmbTxtCle ");
}

TEST(ControlTable, TwentyFiveControlsWithDistinctIdsAndTabsInsideTheirContainers) {
    EXPECT_EQ(Controls().size(), 25u);
    std::set<int> ids, tabs;
    for (const auto& c : Controls()) {
        EXPECT_TRUE(ids.insert(static_cast<int>(c.id)).second) << c.name;
        EXPECT_TRUE(c.tab < 0 || tabs.insert(c.tab).second) << "tab " << c.tab << " used twice";
        if (c.kind == Kind::OpenFileDialog) continue;
        const bool inFrame = c.container != Window;
        if (inFrame) { EXPECT_EQ(Description(c.container).kind, Kind::Frame) << c.name; }
        EXPECT_LE(c.left + c.width, inFrame ? Description(c.container).width : ClientWidth) << c.name;
        EXPECT_LE(c.top + c.height, inFrame ? Description(c.container).height : ClientHeight) << c.name;
    }
}
