#include "common/system_code_page.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace common {
namespace {

class SystemCodePage final : public CodePage {
public:
    // CP_ACP and CP_OEMCP are resolved once, so a UTF-8 system code page is seen as such.
    SystemCodePage(UINT codePage, decltype(&::WideCharToMultiByte) toBytes)
        : codePage_(codePage == CP_ACP     ? ::GetACP()
                    : codePage == CP_OEMCP ? ::GetOEMCP()
                                           : codePage),
          toBytes_(toBytes) {}

    std::optional<std::string> Encode(std::wstring_view text) const override {
        if (text.empty()) return std::string();
        if (text.size() > INT_MAX / 4) return std::nullopt;
        // A UTF-8 system code page takes neither the best-fit flag nor the
        // default-char report; invalid input is refused there instead.
        const bool utf8 = codePage_ == CP_UTF8;
        const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
        const int length = static_cast<int>(text.size());

        int size = toBytes_(codePage_, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
        if (size <= 0 || usedDefault) return std::nullopt;
        std::string bytes(static_cast<size_t>(size), '\0');
        size = toBytes_(codePage_, flags, text.data(), length, bytes.data(), size, nullptr, usedDefaultOut);
        if (size <= 0 || usedDefault) return std::nullopt;
        bytes.resize(static_cast<size_t>(size));
        // Some code pages map several characters to one byte sequence without
        // admitting a default char; only an exact round trip is good enough.
        if (Decode(bytes) != text) return std::nullopt;
        return bytes;
    }

    std::wstring Decode(std::string_view bytes) const override {
        if (bytes.empty() || bytes.size() > INT_MAX) return {};
        const int length = static_cast<int>(bytes.size());
        int size = ::MultiByteToWideChar(codePage_, 0, bytes.data(), length, nullptr, 0);
        if (size <= 0) return {};
        std::wstring text(static_cast<size_t>(size), L'\0');
        size = ::MultiByteToWideChar(codePage_, 0, bytes.data(), length, text.data(), size);
        text.resize(static_cast<size_t>(std::max(size, 0)));
        return text;
    }

    std::string EncodeAsRead(std::wstring_view text) const override {
        if (text.empty() || text.size() > INT_MAX / 4) return {};
        const int length = static_cast<int>(text.size());
        // Without flags: the conversion Windows makes for a program's ANSI view of its command line.
        int size = ::WideCharToMultiByte(codePage_, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        if (size <= 0) return {};
        std::string bytes(static_cast<size_t>(size), '\0');
        size = ::WideCharToMultiByte(codePage_, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
        bytes.resize(static_cast<size_t>(std::max(size, 0)));
        return bytes;
    }

    bool IsLeadByte(unsigned char byte) const override {
        return codePage_ != CP_UTF8 && ::IsDBCSLeadByteEx(codePage_, byte);
    }

private:
    UINT codePage_;
    decltype(&::WideCharToMultiByte) toBytes_;
};

}  // namespace

const CodePage& AnsiCodePage() {
    static const SystemCodePage codePage(CP_ACP, ::WideCharToMultiByte);
    return codePage;
}

const CodePage& OemCodePage() {
    static const SystemCodePage codePage(CP_OEMCP, ::WideCharToMultiByte);
    return codePage;
}

std::unique_ptr<CodePage> NumberedCodePage(UINT number, decltype(&::WideCharToMultiByte) toBytes) {
    return std::make_unique<SystemCodePage>(number, toBytes);
}

}  // namespace common
