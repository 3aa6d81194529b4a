#pragma once
// What the queue buttons do, decided without a window. Portable: the window
// implements QueueView over its list box and buttons.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class QueueView {
public:
    virtual ~QueueView() = default;
    virtual int Count() const = 0;
    virtual int Selected() const = 0;  // -1 for none
    virtual void Append(const std::vector<std::wstring>& entries) = 0;
    virtual void RemoveAt(int index) = 0;
    // Takes out every entry marked in `removed` at once, drawn once.
    virtual void RemoveEntries(const std::vector<bool>& removed) = 0;
    virtual void Clear() = 0;
    virtual void SetRemoveEnabled(bool enabled) = 0;
    virtual void SetConvertEnabled(bool enabled) = 0;
    // Whether the last batch of this queue converted the entry; a new entry has no mark.
    virtual bool Converted(int index) const = 0;
    virtual void SetConverted(int index, bool converted) = 0;
};

// "Add files..." after the dialog closed (entries empty when cancelled), and drops.
void AddFiles(QueueView& queue, const std::vector<std::wstring>& entries);
void RemoveSelected(QueueView& queue);
void ClearList(QueueView& queue);
void EntrySelected(QueueView& queue);
// A batch of this queue begins: the marks of the last one go.
void BatchStarted(QueueView& queue);
// "Remove converted files": every entry the last batch converted goes, the rest
// stay in their order; the buttons then follow as after "Remove selected".
void RemoveConverted(QueueView& queue);

// The open-file dialog's result: NUL-separated parts up to the first empty one.
// One part is a full path; more are a folder followed by names in it.
std::vector<std::wstring> SplitDialogResult(std::wstring_view result);

// Dialog filters in "description|pattern" form.
std::wstring BinaryFilter();
std::wstring TextFilter(std::wstring_view extension);
// The pattern part of a filter ("*.xml"), used to pick files from dropped folders.
std::wstring FilterPattern(std::wstring_view filter);

// Whether a dropped folder's walk goes into a subfolder, from its attributes and,
// for a reparse point, its tag: a link or junction (a name surrogate) could lead
// back up the tree; a cloud placeholder (OneDrive's files on demand) is a folder.
bool WalkInto(std::uint32_t attributes, std::uint32_t reparseTag);

// A folder of a drop that could not be read, and the system's reason.
struct UnreadFolder {
    std::wstring path, reason;
};
// What the status log says of them: "Folder not read: <path> (<reason>)" for
// the first 20, then "... and <k> more folders not read".
std::vector<std::wstring> UnreadFolderLines(const std::vector<UnreadFolder>& unread);

}  // namespace ui
