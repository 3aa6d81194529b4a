// libFuzzer target for the settings reader. Besides not crashing, whatever
// the reader makes of any input must survive a save and a second read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings_format.h"

namespace {

// Like Windows-1252: 0x80..0x9F have gaps, so some values force UTF-8.
class GappyLatin1 final : public settings::AnsiCodec {
public:
    std::optional<std::string> Encode(std::wstring_view text) const override {
        std::string out;
        for (wchar_t c : text) {
            const auto u = static_cast<unsigned long>(c);
            if (u > 0xFF || (u >= 0x80 && u <= 0x9F)) return std::nullopt;
            out.push_back(static_cast<char>(u));
        }
        return out;
    }
    std::wstring Decode(std::string_view bytes) const override {
        std::wstring out;
        for (char b : bytes) {
            const auto u = static_cast<unsigned char>(b);
            out.push_back(u >= 0x80 && u <= 0x9F ? L'\uFFFD' : static_cast<wchar_t>(u));
        }
        return out;
    }
};

bool Same(const settings::Settings& a, const settings::Settings& b) {
    return a.outputToSourceFolder == b.outputToSourceFolder && a.binOutputFolder == b.binOutputFolder &&
           a.txtOutputFolder == b.txtOutputFolder && a.extension == b.extension;
}

void Check(std::string_view bytes) {
    static const GappyLatin1 codec;
    const settings::Settings initial{1, L"bin", L"txt", L"ext"};
    const settings::Settings read = settings::ReadSettings(bytes, codec, initial);
    const settings::Settings again = settings::ReadSettings(settings::WriteSettings(read, codec), codec, {});
    if (!Same(read, again)) std::abort();
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
