#include "ui/progress_text.h"

#include <algorithm>

namespace ui {
namespace {

using std::chrono::milliseconds;

std::wstring Count(long long n, const wchar_t* unit) {
    return std::to_wstring(n) + L" " + unit + (n == 1 ? L"" : L"s");
}

// Two units, the second left out when it is 0.
std::wstring Units(long long high, const wchar_t* highUnit, long long low, const wchar_t* lowUnit) {
    return low == 0 ? Count(high, highUnit) : Count(high, highUnit) + L" " + Count(low, lowUnit);
}

std::wstring Left(milliseconds left) {
    const long long seconds = std::max<long long>((left.count() + 500) / 1000, 1);
    if (seconds < 60) return Count(seconds, L"second");
    const long long minutes = (seconds + 30) / 60;
    if (minutes < 60) return Count(minutes, L"minute");
    return Units(minutes / 60, L"hour", minutes % 60, L"minute");
}

std::wstring Took(milliseconds took) {
    const long long seconds = took.count() / 1000;
    if (seconds == 0) return L"less than a second";
    if (seconds < 60) return Count(seconds, L"second");
    if (seconds < 3600) return Units(seconds / 60, L"minute", seconds % 60, L"second");
    return Units(seconds / 3600, L"hour", seconds / 60 % 60, L"minute");
}

}  // namespace

std::wstring RunningText(int value, int count, milliseconds elapsed, int running) {
    std::wstring text = std::to_wstring(value) + L" of " + Count(count, L"file");
    if (running > 1) text += L", " + std::to_wstring(running) + L" at once";
    const int finished = value - 1;
    if (finished < 1 || (finished < 3 && elapsed < std::chrono::seconds(5))) return text;
    return text + L", about " + Left(elapsed * (count - finished) / finished) + L" left";
}

std::wstring FinishedText(int reached, int count, milliseconds elapsed) {
    const std::wstring files =
        reached == count ? Count(count, L"file") : std::to_wstring(reached) + L" of " + Count(count, L"file");
    return files + L" in " + Took(elapsed);
}

}  // namespace ui
