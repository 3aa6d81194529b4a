#include "common/system_message.h"

#include "common/message_text.h"
#include "common/win_handles.h"

namespace common {

std::wstring SystemMessage(DWORD error, const std::wstring& program) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const win::unique_localmem owned(text);
    const std::wstring line = length ? OneLine(WithProgram(std::wstring_view(text, length), program)) : std::wstring();
    return line.empty() ? L"error " + std::to_wstring(error) : line;
}

}  // namespace common
