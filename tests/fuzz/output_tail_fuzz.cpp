// libFuzzer target for the converter's output as the end of a log line: any
// bytes, in pieces of any size, give one line of at most 303 characters with
// no control characters in it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "conversion/converter_output.h"
#include "support/latin1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte sets the size of the pieces the output arrives in.
    const size_t piece = data[0] + 1u;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    conversion::OutputTail tail;
    for (; !bytes.empty(); bytes.remove_prefix(std::min(piece, bytes.size()))) tail.Append(bytes.substr(0, piece));
    static const test_support::Latin1 oem;
    const std::wstring line = conversion::ShapeOutputLine(tail.LastLine(), tail.LastLineCut(), oem);
    if (line.size() > conversion::kOutputTailChars + 3) std::abort();
    for (const wchar_t c : line)
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) std::abort();
    if (!line.empty() && (line.front() == L' ' || (line.back() == L' ' && !line.ends_with(L"...")))) std::abort();
    return 0;
}
