#include "conversion/converter_output.h"

#include "common/utf8.h"

namespace conversion {
namespace {

// Enough bytes for kOutputTailChars characters in any encoding, and one more character.
constexpr size_t kKeptBytes = (kOutputTailChars + 1) * 4;

bool IsBlankOrControl(unsigned char byte) { return byte <= 0x20 || byte == 0x7F; }
bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// A UTF-8 character that the cut split in two would make the whole line read as not UTF-8.
std::string_view WithoutSplitCharacter(std::string_view bytes) {
    size_t start = bytes.size();
    while (start > 0 && bytes.size() - start < 4 && (static_cast<unsigned char>(bytes[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0) return bytes;
    const auto lead = static_cast<unsigned char>(bytes[start - 1]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length > bytes.size() - start + 1 ? bytes.substr(0, start - 1) : bytes;
}

}  // namespace

void OutputTail::Append(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\n' || ch == '\r') {
            EndLine();
        } else if (current_.empty() && IsBlankOrControl(byte)) {
            // Leading blanks are trimmed anyway; a line of nothing else does not count.
        } else if (current_.size() < kKeptBytes) {
            current_.push_back(ch);
        } else if (!IsBlankOrControl(byte)) {
            currentCut_ = true;
        }
    }
}

void OutputTail::EndLine() {
    if (current_.empty()) return;
    last_ = std::move(current_);
    lastCut_ = currentCut_;
    current_.clear();
    currentCut_ = false;
}

std::string_view OutputTail::LastLine() const { return current_.empty() ? last_ : current_; }

bool OutputTail::LastLineCut() const { return current_.empty() ? lastCut_ : currentCut_; }

std::wstring ShapeOutputLine(std::string_view line, bool cut, const common::CodePage& oem) {
    if (cut || line.size() >= kKeptBytes) line = WithoutSplitCharacter(line);
    bool utf8 = false;
    std::wstring text = common::FromUtf8(line, &utf8);
    if (!utf8) text = oem.Decode(line);
    for (wchar_t& c : text)
        if (IsControl(c)) c = L' ';
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    // What a cut line goes on with is unknown: its end is not trimmed.
    text = text.substr(first, cut ? std::wstring::npos : text.find_last_not_of(L' ') - first + 1);
    if (!cut && text.size() <= kOutputTailChars) return text;
    size_t keep = std::min(text.size(), kOutputTailChars);
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;  // not half a surrogate pair
    return text.substr(0, keep) + L"...";
}

}  // namespace conversion
