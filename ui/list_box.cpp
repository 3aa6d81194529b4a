#include "ui/list_box.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "common/win_handles.h"
#include "ui/status_log.h"

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
    const LPARAM data = Data(last);
    const bool selected = Selected() == last;
    // A list box cannot change a line in place; nothing is drawn between the two steps.
    SendMessageW(list_, LB_DELETESTRING, last, 0);
    SendMessageW(list_, LB_INSERTSTRING, last, reinterpret_cast<LPARAM>(line.c_str()));
    SetData(last, data);
    if (selected) SendMessageW(list_, LB_SETCURSEL, last, 0);
    WidenFor({line});
}

void ListBox::RemoveAt(int index) { SendMessageW(list_, LB_DELETESTRING, index, 0); }

void ListBox::RemoveWhere(const std::vector<bool>& removed) {
    const int count = Count(), selected = Selected(), top = TopIndex();
    std::vector<std::wstring> kept;
    std::vector<LPARAM> data;
    int keptSelected = -1, keptTop = 0;
    size_t chars = 0;
    for (int i = 0; i < count; ++i) {
        if (static_cast<size_t>(i) < removed.size() && removed[static_cast<size_t>(i)]) continue;
        if (i == selected) keptSelected = static_cast<int>(kept.size());
        if (i < top) ++keptTop;
        kept.push_back(At(i));
        data.push_back(Data(i));
        chars += kept.back().size() + 1;
    }
    if (static_cast<int>(kept.size()) == count) return;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list_, LB_INITSTORAGE, kept.size(), chars * sizeof(wchar_t));
    for (size_t i = 0; i < kept.size(); ++i) {
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kept[i].c_str()));
        SetData(static_cast<int>(i), data[i]);
    }
    if (keptSelected >= 0) SendMessageW(list_, LB_SETCURSEL, keptSelected, 0);
    SendMessageW(list_, LB_SETTOPINDEX, keptTop, 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void ListBox::Clear() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
}

int ListBox::TopIndex() const { return static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0)); }

int ListBox::RowsInView() const {
    RECT client{};
    GetClientRect(list_, &client);
    const auto row = static_cast<LONG>(SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0));
    return row > 0 ? static_cast<int>(client.bottom / row) : 1;
}

void ListBox::HoldDrawing() { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }

void ListBox::ShowFrom(int top) {
    // Scrolled while still held: drawing it on is then the only scroll-bar update.
    SendMessageW(list_, LB_SETTOPINDEX, top, 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    UpdateWindow(list_);
}

LogUpdate::LogUpdate(ListBox& log)
    : log_(log), top_(log.TopIndex()), follow_(FollowsEnd(top_, log.RowsInView(), log.Count())) {
    log_.HoldDrawing();
}

LogUpdate::~LogUpdate() { log_.ShowFrom(follow_ ? std::max(log_.Count() - 1, 0) : top_); }

void ListBox::FitWidthToLines() {
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, 0, 0);
    WidenFor(All());
}

namespace {

// Characters that GDI draws one glyph each, at its advance width, without
// shaping, reordering or combining: Latin, Greek, Cyrillic, punctuation,
// symbols, CJK, kana and Hangul syllables.
bool Simple(wchar_t c) {
    static constexpr std::pair<wchar_t, wchar_t> kRanges[] = {
        {0x0020, 0x02FF}, {0x0370, 0x0482}, {0x048A, 0x052F}, {0x1E00, 0x1FFF}, {0x2010, 0x2027}, {0x2030, 0x205E},
        {0x20A0, 0x20CF}, {0x2100, 0x2BFF}, {0x3000, 0x3029}, {0x3030, 0x3098}, {0x309B, 0x30FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFF01, 0xFFEF}};
    for (const auto& [first, last] : kRanges)
        if (c >= first && c <= last) return true;
    return false;
}

// How wide lines are in one font, with each character's advance asked of GDI
// once: a line of simple characters that the font has is the sum of their
// advances, as GetTextExtentPoint32W makes it; any other line is measured whole.
class TextWidths {
public:
    // Forgets what it knows when the font is another.
    void Use(HDC dc, HFONT font) {
        LOGFONTW now{};
        GetObjectW(font, sizeof now, &now);
        if (memcmp(&now, &font_, sizeof now) != 0) advances_.clear();
        font_ = now;
        dc_ = dc;
    }
    LONG Width(const std::wstring& line) {
        LONG sum = 0;
        for (const wchar_t c : line) {
            const int advance = Advance(c);
            if (advance < 0) return Measured(line);
            sum += advance;
        }
        return sum;
    }

private:
    static constexpr int kUnknown = -2, kMeasureWhole = -1;
    int Advance(wchar_t c) {
        if (advances_.empty()) advances_.assign(0x10000, kUnknown);
        int& advance = advances_[static_cast<std::uint16_t>(c)];
        if (advance != kUnknown) return advance;
        WORD glyph = 0xFFFF;
        INT width = 0;
        const bool drawnAlone = Simple(c) && GetGlyphIndicesW(dc_, &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
                                glyph != 0xFFFF && GetCharWidth32W(dc_, c, c, &width);
        return advance = drawnAlone ? width : kMeasureWhole;
    }
    LONG Measured(const std::wstring& line) const {
        SIZE size{};
        return GetTextExtentPoint32W(dc_, line.c_str(), static_cast<int>(line.size()), &size) ? size.cx : 0;
    }
    LOGFONTW font_{};
    HDC dc_ = nullptr;
    std::vector<int> advances_;
};

}  // namespace

// The horizontal scroll bar appears once a line is wider than the list.
// Lines are measured on a memory DC: a window DC costs a trip to the display.
void ListBox::WidenFor(const std::vector<std::wstring>& lines) {
    static const win::unique_dc measure(CreateCompatibleDC(nullptr));
    static TextWidths widths;  // the window's thread alone measures
    if (!measure) return;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(measure.get(), font ? font : GetStockObject(SYSTEM_FONT));
    widths.Use(measure.get(), font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    const auto current = static_cast<LONG>(SendMessageW(list_, LB_GETHORIZONTALEXTENT, 0, 0));
    LONG widest = current;
    for (const auto& line : lines) widest = std::max(widest, widths.Width(line) + 6);
    SelectObject(measure.get(), old);
    if (widest != current) SendMessageW(list_, LB_SETHORIZONTALEXTENT, widest, 0);
}

}  // namespace ui
