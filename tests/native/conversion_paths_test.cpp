#include <gtest/gtest.h>

#include <string>

#include "conversion/paths.h"

using namespace conversion;

namespace {

struct SplitCase {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* name;
};

constexpr SplitCase kSplitCases[] = {
    {L"C:\\Data\\a.xml", L"C:\\Data", L"a.xml"},
    {L"C:\\a.xml", L"C:", L"a.xml"},
    {L"\\a.xml", L"", L"a.xml"},
    {L"a.xml", L"", L""},
    {L"", L"", L""},
    {L"C:\\Data\\", L"C:\\Data", L""},
    {L"C:\\Data\\\\", L"C:\\Data\\", L""},
    {L"\\", L"", L""},
    {L"C:/Data/a.xml", L"", L""},
    {L"C:\\Data/sub/a.xml", L"C:", L"Data/sub/a.xml"},
    {L"\\\\server\\share\\a.xml", L"\\\\server\\share", L"a.xml"},
    {L"\\\\server", L"\\", L"server"},
    {L"\\\\?\\C:\\x\\a.xml", L"\\\\?\\C:\\x", L"a.xml"},
    {L"D:\\In\\Gr\u00FC\u00DFe.xml", L"D:\\In", L"Gr\u00FC\u00DFe.xml"},
    {L"C:\\a.b\\c", L"C:\\a.b", L"c"},
};

TEST(ConversionPaths, SplitsAtTheLastBackslashOnly) {
    for (const auto& c : kSplitCases) {
        SCOPED_TRACE(testing::Message() << "path index " << (&c - kSplitCases));
        EXPECT_EQ(FolderOfPath(c.path), c.folder);
        EXPECT_EQ(FileNameOfPath(c.path), c.name);
    }
}

TEST(ConversionPaths, SplitKeepsEmbeddedNulCharacters) {
    // wstring_view lengths, not C-string lengths, decide where a path ends.
    const std::wstring path(L"C:\\a\0b\\c\0d", 10);
    EXPECT_EQ(FolderOfPath(path), std::wstring(L"C:\\a\0b", 6));
    EXPECT_EQ(FileNameOfPath(path), std::wstring(L"c\0d", 3));
}

struct FoldCase {
    const wchar_t* path;
    const wchar_t* folded;
};

constexpr FoldCase kFoldCases[] = {
    {L"", L""},
    {L"C:\\Data\\a.xml", L"C:\\Data\\a.xml"},
    {L"C:\\\\a.xml", L"C:\\a.xml"},
    {L"C:\\\\\\a.xml", L"C:\\a.xml"},
    {L"C:\\\\\\\\a.xml", L"C:\\a.xml"},
    {L"C:\\Out\\\\", L"C:\\Out\\"},
    {L"C:\\Out\\\\\\\\", L"C:\\Out\\"},
    {L"\\", L"\\"},
    {L"\\a.xml", L"\\a.xml"},
    {L"\\\\", L"\\\\"},
    {L"\\\\\\", L"\\\\"},
    {L"\\\\server\\share\\a.xml", L"\\\\server\\share\\a.xml"},
    {L"\\\\\\server\\share", L"\\\\server\\share"},
    {L"\\\\server\\\\share\\\\\\a.xml", L"\\\\server\\share\\a.xml"},
    {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
    {L"\\\\?\\C:\\\\x\\\\", L"\\\\?\\C:\\x\\"},
    {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
    {L"a\\\\b\\\\c", L"a\\b\\c"},
    {L"C://Data//a.xml", L"C://Data//a.xml"},
    {L"\"C:\\\\T\\quillon.exe\" \"\\\\s\\a\"", L"\"C:\\T\\quillon.exe\" \"\\s\\a\""},
};

TEST(ConversionPaths, FoldsBackslashRunsButKeepsALeadingPair) {
    for (const auto& c : kFoldCases) {
        SCOPED_TRACE(testing::Message() << "fold index " << (&c - kFoldCases));
        EXPECT_EQ(FoldBackslashes(c.path), c.folded);
    }
}

TEST(ConversionPaths, FoldingTwiceChangesNothingMore) {
    for (const auto& c : kFoldCases) {
        SCOPED_TRACE(testing::Message() << "fold index " << (&c - kFoldCases));
        EXPECT_EQ(FoldBackslashes(FoldBackslashes(c.path)), FoldBackslashes(c.path));
    }
}

}  // namespace
