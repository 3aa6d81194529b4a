#pragma once
// A plain list box as the queues and the status log use it. Windows only.
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class ListBox {
public:
    explicit ListBox(HWND list) : list_(list) {}

    int Count() const;
    int Selected() const;  // -1 for none
    std::wstring At(int index) const;
    std::vector<std::wstring> All() const;
    // A number the program keeps with a line; 0 for a new one.
    LPARAM Data(int index) const;
    void SetData(int index, LPARAM data);
    // Where a menu opened from the keyboard goes: beside the selected line, else at the top left.
    POINT MenuPoint() const;

    // Appends without a repaint per line, so thousands of entries land at once.
    void Append(const std::vector<std::wstring>& lines);
    void AppendLine(const std::wstring& line);
    // The line's data and its selection stay with it.
    void ReplaceLast(const std::wstring& line);
    void RemoveAt(int index);
    // Built anew without the lines marked: one line taken out at a time would
    // move every line behind it, in a list of a hundred thousand.
    void RemoveWhere(const std::vector<bool>& removed);
    void Clear();
    int TopIndex() const;
    int RowsInView() const;  // whole rows
    // Changes are not drawn until ShowFrom.
    void HoldDrawing();
    // Drawn now, `top` its first line in view.
    void ShowFrom(int top);
    // The horizontal scroll bar measured anew, after the font has changed.
    void FitWidthToLines();

private:
    void WidenFor(const std::vector<std::wstring>& lines);
    HWND list_;
};

// The status log while lines come: drawn once at the end, and scrolled to
// its last line only when that was in view before (FollowsEnd).
class LogUpdate {
public:
    explicit LogUpdate(ListBox& log);
    ~LogUpdate();
    LogUpdate(const LogUpdate&) = delete;
    LogUpdate& operator=(const LogUpdate&) = delete;

private:
    ListBox& log_;
    int top_;
    bool follow_;
};

}  // namespace ui
