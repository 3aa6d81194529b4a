#pragma once
// Where the settings file is read from and written to. Portable.
#include <string>

namespace settings {

struct Location {
    std::wstring read, write;
};

// Beside the program when the file can be written there (portable use, and the
// place it has always had); otherwise in the user's application data, read
// from there once it exists, and until then from beside the program, so a
// copy shipped with the program still gives the first values. `userFolder`
// is empty when the system names none.
Location ChooseLocation(const std::wstring& toolFolder, bool besideWritable, const std::wstring& userFolder,
                        bool userFileExists);

// The file's name in either place.
inline constexpr const wchar_t* FileName = L"karvelxml.ini";

}  // namespace settings
