#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/win_handles.h"
#include "settings/settings_file.h"
#include "test_paths.h"

namespace {
using settings::Settings;

bool Same(const Settings& a, const Settings& b) {
    return a.sourceFolderSwitch == b.sourceFolderSwitch && a.binOutputFolder == b.binOutputFolder &&
           a.txtOutputFolder == b.txtOutputFolder && a.extension == b.extension;
}

// A fresh, empty folder of the scratch area for each test.
class SettingsFile : public testing::Test {
protected:
    void SetUp() override {
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = std::wstring(KARVEL_TEST_SCRATCH) + L"\\settings-" + std::wstring(name.begin(), name.end());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        for (const std::wstring& name : Entries()) {
            const std::wstring file = folder_ + L"\\" + name;
            ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(file.c_str());
        }
        path_ = settings::SettingsPath(folder_);
    }

    std::set<std::wstring> Entries() const {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW data;
        win::unique_find find(::FindFirstFileW((folder_ + L"\\*").c_str(), &data));
        if (!find) return names;
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") names.insert(name);
        } while (::FindNextFileW(find.get(), &data));
        return names;
    }

    void WriteBytes(const std::string& bytes) const {
        win::unique_file file(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        ASSERT_EQ(written, bytes.size());
    }

    std::string ReadBytes() const {
        win::unique_file file(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        std::string bytes;
        char chunk[512];
        DWORD got = 0;
        while (file && ::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        return bytes;
    }

    std::wstring folder_;
    std::wstring path_;
};

TEST_F(SettingsFile, SaveLoadRoundTripThroughTheFile) {
    EXPECT_EQ(path_, folder_ + L"\\karvelxml.ini");
    const Settings unicode{1, L"C:\\out dir", L"D:\\日本\\\U0001F600", L"xml"};
    ASSERT_TRUE(settings::SaveSettings(path_, unicode));
    if (::GetACP() != CP_UTF8) {
        EXPECT_EQ(ReadBytes().substr(0, 3), "\xEF\xBB\xBF") << "not every value fits the code page";
    }
    const std::optional<Settings> loaded = settings::LoadSettings(path_);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(Same(*loaded, unicode));

    // Saving over an existing file replaces it; plain values stay plain bytes.
    ASSERT_TRUE(settings::SaveSettings(path_, {0, L"C:\\a", L"", L"txt"}));
    EXPECT_EQ(ReadBytes(), " 0 \r\nC:\\a\r\n\r\ntxt\r\n");
    EXPECT_EQ(Entries(), std::set<std::wstring>{L"karvelxml.ini"});
}

TEST_F(SettingsFile, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string old = " 1 \r\nC:\\old\r\nD:\\old\r\nold\r\n";
    const Settings fresh{0, L"C:\\new", L"D:\\new", L"new"};

    WriteBytes(old);
    ASSERT_TRUE(::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(settings::SaveSettings(path_, fresh)) << "read-only";
    ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(), old) << "read-only";
    EXPECT_EQ(Entries(), std::set<std::wstring>{L"karvelxml.ini"}) << "read-only";

    {
        win::unique_file lock(::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_FALSE(settings::SaveSettings(path_, fresh)) << "locked";
        EXPECT_FALSE(settings::LoadSettings(path_)) << "locked";
    }
    EXPECT_EQ(ReadBytes(), old) << "locked";
    EXPECT_EQ(Entries(), std::set<std::wstring>{L"karvelxml.ini"}) << "locked";
}

TEST_F(SettingsFile, NothingToLoadWithoutAFile) {
    EXPECT_FALSE(settings::LoadSettings(path_));
    EXPECT_FALSE(settings::LoadSettings(folder_)) << "a folder is no settings file";
}

TEST_F(SettingsFile, LoadsFilesOfEarlierVersionsAndEmptyOnes) {
    const Settings initial{1, L"a", L"b", L"c"};
    struct Case { std::string bytes; Settings expected; };
    const Case cases[] = {
        {" 0 \r\nD:\\Work\\Decoded\r\nD:\\Work\\Encoded\r\ntxt\r\n", {0, L"D:\\Work\\Decoded", L"D:\\Work\\Encoded", L"txt"}},
        {"", initial},
    };
    for (const Case& c : cases) {
        WriteBytes(c.bytes);
        const std::optional<Settings> loaded = settings::LoadSettings(path_, initial);
        ASSERT_TRUE(loaded);
        EXPECT_TRUE(Same(*loaded, c.expected)) << c.bytes;
    }
}

TEST(SettingsSystemAnsi, EncodesOnlyWhatComesBackExactly) {
    const settings::AnsiCodec& ansi = settings::SystemAnsiCodec();
    EXPECT_EQ(ansi.Encode(L""), std::string());
    EXPECT_EQ(ansi.Encode(L"C:\\Work 1\\x.txt"), std::string("C:\\Work 1\\x.txt"));
    EXPECT_EQ(ansi.Decode("C:\\Work"), L"C:\\Work");
    if (::GetACP() == CP_UTF8) GTEST_SKIP() << "UTF-8 system code page";
    EXPECT_FALSE(ansi.Encode(L"a\U0001F600"));
    if (::GetACP() != 1252) GTEST_SKIP() << "code page " << ::GetACP();
    EXPECT_EQ(ansi.Encode(L"Caf\u00E9 \u20AC"), std::string("Caf\xE9 \x80"));
    EXPECT_EQ(ansi.Decode("Caf\xE9 \x80"), L"Caf\u00E9 \u20AC");
    EXPECT_FALSE(ansi.Encode(L"\u0100")) << "best fit would give A";
    EXPECT_FALSE(ansi.Encode(L"日本"));
}

}  // namespace
