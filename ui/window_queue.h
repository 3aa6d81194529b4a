#pragma once
// A queue as its list box and its panel's two buttons, for the portable queue
// rules. A mark of the last batch is the line's data. Windows only.
#include <windows.h>

#include "ui/controls.h"
#include "ui/list_box.h"
#include "ui/queue_rules.h"

namespace ui {

class WindowQueue final : public QueueView {
public:
    WindowQueue(HWND window, Panel panel)
        : list_(GetDlgItem(window, static_cast<int>(ControlsOf(panel).list))),
          remove_(GetDlgItem(window, static_cast<int>(ControlsOf(panel).rem))),
          convert_(GetDlgItem(window, static_cast<int>(ControlsOf(panel).con))) {}

    int Count() const override { return list_.Count(); }
    int Selected() const override { return list_.Selected(); }
    void Append(const std::vector<std::wstring>& entries) override { list_.Append(entries); }
    void RemoveAt(int index) override { list_.RemoveAt(index); }
    void RemoveEntries(const std::vector<bool>& removed) override { list_.RemoveWhere(removed); }
    void Clear() override { list_.Clear(); }
    void SetRemoveEnabled(bool enabled) override { EnableWindow(remove_, enabled); }
    void SetConvertEnabled(bool enabled) override { EnableWindow(convert_, enabled); }
    bool Converted(int index) const override { return list_.Data(index) != 0; }
    void SetConverted(int index, bool converted) override { list_.SetData(index, converted); }

    std::wstring At(int index) const { return list_.At(index); }
    bool RemoveEnabled() const { return IsWindowEnabled(remove_); }

private:
    ListBox list_;
    HWND remove_;
    HWND convert_;
};

}  // namespace ui
