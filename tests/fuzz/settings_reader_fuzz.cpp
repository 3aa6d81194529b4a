// libFuzzer target for the settings reader. Besides not crashing, whatever
// the reader makes of any input must survive a save and a second read.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

#include "settings/settings_format.h"
#include "support/latin1.h"

namespace {

auto Tie(const settings::Settings& s) {
    return std::tie(s.outputToSourceFolder, s.binOutputFolder, s.txtOutputFolder, s.extension);
}

void Check(std::string_view bytes) {
    static const test_support::Latin1 codec;
    const settings::Settings initial{1, L"bin", L"txt", L"ext"};
    const settings::Settings read = settings::ReadSettings(bytes, codec, initial);
    const settings::Settings again = settings::ReadSettings(settings::WriteSettings(read, codec), codec, {});
    if (Tie(read) != Tie(again)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(bytes);
    // Also as UTF-8, so the decoder gets every input and not only the few
    // that happen to begin with the mark.
    Check(std::string("\xEF\xBB\xBF") + std::string(bytes));
    return 0;
}
