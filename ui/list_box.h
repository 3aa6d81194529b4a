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
    void ReplaceLast(const std::wstring& line);
    void RemoveAt(int index);
    void Clear();
    // Changes are not drawn until ShowLastNow.
    void HoldDrawing();
    // The last line in view, drawn now.
    void ShowLastNow();
    // The horizontal scroll bar measured anew, after the font has changed.
    void FitWidthToLines();

private:
    void WidenFor(const std::vector<std::wstring>& lines);
    HWND list_;
};

}  // namespace ui
