#include "launcher/ProfileFile_win.h"

#include "util/TempFolder_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A fresh folder under the temporary folder, removed with its files.
class TempIni : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"profile-test-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        path_ = folder_ + L"\\App.ini";
    }
    void TearDown() override {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    // Writes the file as UTF-16 with a byte-order mark, as an editor would.
    void write(const std::wstring& text) {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        std::wstring content = L"\xFEFF" + text;
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size() * sizeof(wchar_t)),
                  &written, nullptr);
        CloseHandle(file);
    }

    std::wstring folder_;
    std::wstring path_;
};

std::wstring read(SettingsStore& store, const std::wstring& section, const std::wstring& key) {
    std::wstring value = L"untouched";
    store.readString(section, key, value);
    return value;
}

}  // namespace

TEST_F(TempIni, ReadsValuesLongerThanTheFirstBuffer) {
    for (size_t length : {254u, 255u, 256u, 511u, 1000u, 5000u}) {
        std::wstring value(length, L'v');
        value.back() = L'!';
        write(L"[Application]\r\nCmd=" + value + L"\r\n");
        ProfileFile file(path_);
        EXPECT_EQ(read(file, L"Application", L"Cmd"), value) << "length " << length;
    }
}

TEST_F(TempIni, StripsBlanksAndOnePairOfQuotesIgnoringCase) {
    write(L"[Java Runtime Environment]\r\n"
          L"Main Class =   com.example.App   \r\n"
          L"JRE Path=\"C:\\Program Files\\jre\"\r\n"
          L"Library Path=\"\"lib\"\"\r\n");
    ProfileFile file(path_);
    EXPECT_EQ(read(file, L"java runtime environment", L"MAIN CLASS"), L"com.example.App");
    EXPECT_EQ(read(file, L"Java Runtime Environment", L"JRE Path"), L"C:\\Program Files\\jre");
    EXPECT_EQ(read(file, L"Java Runtime Environment", L"Library Path"), L"\"lib\"");
    EXPECT_EQ(read(file, L"Java Runtime Environment", L"Missing"), L"");
}

TEST_F(TempIni, MissingFileReadsEmptyAndCannotBeProbed) {
    ProfileFile file(folder_ + L"\\Missing.ini");
    EXPECT_EQ(read(file, L"Java Runtime Environment", L"Main Class"), L"");
    unsigned char buffer[4] = {};
    EXPECT_EQ(file.probeReadable(buffer), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
}

TEST_F(TempIni, LayeredReadExtendsWithThePlusSection) {
    write(L"[Java Runtime Environment+]\r\nMinimum Version=1.6\r\n"
          L"[Application]\r\nCmd=-a\r\n[Application+]\r\nCmd=-b\r\n");
    LayeredProfileFile layered(path_, L"[Java Runtime Environment]\r\nMaximum Version=11\r\n");
    EXPECT_EQ(read(layered.store(), L"Java Runtime Environment", L"Minimum Version"), L" 1.6");
    EXPECT_EQ(read(layered.store(), L"Java Runtime Environment", L"Maximum Version"), L"11");
    EXPECT_EQ(read(layered.store(), L"Application", L"Cmd"), L"-a");
    // Both bases see the layered rule.
    EXPECT_EQ(read(static_cast<IniTextStore&>(layered), L"Application", L"Cmd"), L"-a");
}

TEST_F(TempIni, WritesCreateTheFileAndSectionNamesComeBackInOrder) {
    ProfileFile file(path_);
    ASSERT_TRUE(file.writeString(L"Java Runtime Environment", L"JRE Path", L"D:\\jre"));
    ASSERT_TRUE(file.writeString(L"Zeta", L"k", L"v"));
    ASSERT_TRUE(file.writeString(L"Alpha", L"k", L"v"));
    EXPECT_EQ(read(file, L"Java Runtime Environment", L"JRE Path"), L"D:\\jre");

    std::vector<std::wstring> names{L"stale"};
    file.readSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Java Runtime Environment", L"Zeta", L"Alpha"}));

    unsigned char buffer[4] = {};
    EXPECT_EQ(file.probeReadable(buffer), 0u);
    EXPECT_TRUE(file.deleteFile());
    EXPECT_FALSE(file.deleteFile());
}

TEST_F(TempIni, ManySectionNamesOutgrowTheFirstBuffer) {
    ProfileFile file(path_);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 60; ++i) {
        expected.push_back(L"Section number " + std::to_wstring(i));
        file.writeString(expected.back(), L"k", L"v");
    }
    std::vector<std::wstring> names;
    file.readSectionNames(names);
    EXPECT_EQ(names, expected);
}

TEST(ConfigFileProblem, MissingReadsAsEmptyLockedAndTooLongAreProblems) {
    TempFolder temp;
    EXPECT_EQ(configFileProblem(temp / L"Missing.ini"), 0u);
    EXPECT_EQ(configFileProblem(temp / L"missing\\App.ini"), 0u);

    const std::wstring ini = temp / L"App.ini";
    UniqueFile locked(CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    ASSERT_TRUE(locked);
    EXPECT_EQ(configFileProblem(ini), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    locked.reset();
    EXPECT_EQ(configFileProblem(ini), 0u);

    // A file the profile API cannot reach: its path is too long for it.
    const std::wstring deep = temp / std::wstring(120, L'd');
    const std::wstring deeper = deep + L"\\" + std::wstring(120, L'e');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deeper).c_str(), nullptr));
    const std::wstring distant = deeper + L"\\App.ini";
    ASSERT_GE(distant.size(), 260u);
    ASSERT_TRUE(UniqueFile(CreateFileW((L"\\\\?\\" + distant).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)));
    EXPECT_EQ(configFileProblem(distant), static_cast<unsigned long>(ERROR_FILENAME_EXCED_RANGE));
}
