#include "ui/queue_rules.h"

namespace ui {

void AddFiles(QueueView& queue, const std::vector<std::wstring>& entries) {
    if (!entries.empty()) queue.Append(entries);
    // Also after a cancel: a queue cleared while "Convert!" stayed on keeps it on.
    if (queue.Count() >= 1) queue.SetConvertEnabled(true);
}

namespace {

// After entries have gone: the buttons follow the queue as "Remove selected" leaves them.
void AfterRemoval(QueueView& queue) {
    if (queue.Selected() == -1 || queue.Count() == 0) queue.SetRemoveEnabled(false);
}

}  // namespace

void RemoveSelected(QueueView& queue) {
    if (queue.Count() >= 1 && queue.Selected() != -1) {
        queue.RemoveAt(queue.Selected());
        AfterRemoval(queue);
    }
    if (queue.Count() == 0) queue.SetConvertEnabled(false);
}

void BatchStarted(QueueView& queue) {
    for (int i = 0; i < queue.Count(); ++i) queue.SetConverted(i, false);
}

void RemoveConverted(QueueView& queue) {
    std::vector<bool> removed(static_cast<size_t>(queue.Count()));
    for (int i = 0; i < queue.Count(); ++i) removed[static_cast<size_t>(i)] = queue.Converted(i);
    queue.RemoveEntries(removed);
    AfterRemoval(queue);
    if (queue.Count() == 0) queue.SetConvertEnabled(false);
}

void ClearList(QueueView& queue) { queue.Clear(); }

void EntrySelected(QueueView& queue) {
    if (queue.Selected() != -1) queue.SetRemoveEnabled(true);
}

std::vector<std::wstring> SplitDialogResult(std::wstring_view result) {
    // Views into the result, so that each entry is built once, at its size.
    std::vector<std::wstring_view> parts;
    while (!result.empty()) {
        const size_t end = result.find(L'\0');
        const std::wstring_view part = result.substr(0, end);
        if (part.empty()) break;
        parts.push_back(part);
        if (end == std::wstring_view::npos) break;
        result.remove_prefix(end + 1);
    }
    if (parts.size() <= 1) return {parts.begin(), parts.end()};

    std::vector<std::wstring> entries(parts.size() - 1);
    for (size_t i = 1; i < parts.size(); ++i) {
        entries[i - 1].reserve(parts[0].size() + 1 + parts[i].size());
        entries[i - 1].append(parts[0]).append(1, L'\\').append(parts[i]);
    }
    return entries;
}

std::wstring BinaryFilter() { return L"Binary XML Files (*.xml)|*.xml"; }

std::wstring TextFilter(std::wstring_view extension) {
    std::wstring ext(extension);
    return L"Text XML Files (*." + ext + L")|*." + ext;
}

bool WalkInto(std::uint32_t attributes, std::uint32_t reparseTag) {
    constexpr std::uint32_t kDirectory = 0x10, kReparsePoint = 0x400, kNameSurrogate = 0x20000000;
    if (!(attributes & kDirectory)) return false;
    return !(attributes & kReparsePoint) || !(reparseTag & kNameSurrogate);
}

std::vector<std::wstring> UnreadFolderLines(const std::vector<UnreadFolder>& unread) {
    constexpr size_t kShown = 20;
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < unread.size() && i < kShown; ++i)
        lines.push_back(L"Folder not read: " + unread[i].path + L" (" + unread[i].reason + L")");
    if (unread.size() > kShown)
        lines.push_back(L"... and " + std::to_wstring(unread.size() - kShown) + L" more folders not read");
    return lines;
}

std::wstring FilterPattern(std::wstring_view filter) {
    const size_t bar = filter.rfind(L'|');
    return std::wstring(bar == std::wstring_view::npos ? filter : filter.substr(bar + 1));
}

}  // namespace ui
