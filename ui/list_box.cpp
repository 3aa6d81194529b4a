#include "ui/list_box.h"

#include <algorithm>

#include "common/win_handles.h"

namespace ui {

int ListBox::Count() const { return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0)); }

int ListBox::Selected() const {
    const LRESULT sel = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? -1 : static_cast<int>(sel);
}

std::wstring ListBox::At(int index) const {
    const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ListBox::All() const {
    std::vector<std::wstring> lines;
    const int count = Count();
    lines.reserve(count);
    for (int i = 0; i < count; ++i) lines.push_back(At(i));
    return lines;
}

LPARAM ListBox::Data(int index) const {
    const LRESULT data = SendMessageW(list_, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? 0 : data;
}

void ListBox::SetData(int index, LPARAM data) { SendMessageW(list_, LB_SETITEMDATA, index, data); }

POINT ListBox::MenuPoint() const {
    RECT r{};
    if (Selected() < 0 || SendMessageW(list_, LB_GETITEMRECT, Selected(), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        r = {};
    POINT at{r.left, r.bottom};
    ClientToScreen(list_, &at);
    return at;
}

void ListBox::Append(const std::vector<std::wstring>& lines) {
    if (lines.empty()) return;
    size_t chars = 0;
    for (const auto& line : lines) chars += line.size() + 1;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_INITSTORAGE, lines.size(), chars * sizeof(wchar_t));
    for (const auto& line : lines) SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    WidenFor(lines);
    InvalidateRect(list_, nullptr, TRUE);
}

void ListBox::AppendLine(const std::wstring& line) {
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    WidenFor({line});
}

void ListBox::ReplaceLast(const std::wstring& line) {
    const int last = Count() - 1;
    if (last < 0) return AppendLine(line);
    // A list box cannot change a line in place; nothing is drawn between the two steps.
    SendMessageW(list_, LB_DELETESTRING, last, 0);
    SendMessageW(list_, LB_INSERTSTRING, last, reinterpret_cast<LPARAM>(line.c_str()));
    WidenFor({line});
}

void ListBox::RemoveAt(int index) { SendMessageW(list_, LB_DELETESTRING, index, 0); }

void ListBox::Clear() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
}

void ListBox::ShowLastNow() {
    SendMessageW(list_, LB_SETTOPINDEX, std::max(Count() - 1, 0), 0);
    UpdateWindow(list_);
}

void ListBox::FitWidthToLines() {
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
    WidenFor(All());
}

// The horizontal scroll bar appears once a line is wider than the list.
// Lines are measured on a memory DC: a window DC costs a trip to the display.
void ListBox::WidenFor(const std::vector<std::wstring>& lines) {
    static const win::unique_dc measure(CreateCompatibleDC(nullptr));
    if (!measure) return;
    const HGDIOBJ old = SelectObject(measure.get(), reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0)));
    const auto current = static_cast<LONG>(SendMessageW(list_, LB_GETHORIZONTALEXTENT, 0, 0));
    LONG widest = current;
    for (const auto& line : lines) {
        SIZE size{};
        if (GetTextExtentPoint32W(measure.get(), line.c_str(), static_cast<int>(line.size()), &size))
            widest = std::max(widest, size.cx + 6);
    }
    SelectObject(measure.get(), old);
    if (widest != current) SendMessageW(list_, LB_SETHORIZONTALEXTENT, widest, 0);
}

}  // namespace ui
