#include "util/FileSystem_win.h"

#include "util/Paths.h"
#include "util/TempFolder_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool endsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A folder path of more than MAX_PATH characters below base, created level by
// level through the long-path prefix.
std::wstring createLongFolder(const std::wstring& base) {
    std::wstring folder = base;
    for (wchar_t c = L'a'; folder.size() <= 300; ++c) {
        folder += L'\\' + std::wstring(60, c);
        CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    }
    return folder;
}

}  // namespace

TEST(ModulePath, NamesTheRunningExecutable) {
    DWORD error = ERROR_GEN_FAILURE;
    const std::wstring path = moduleFileName(nullptr, error);
    EXPECT_TRUE(endsWith(path, L"\\unit_tests.exe")) << path;
    EXPECT_EQ(folderOf(path) + L"unit_tests.exe", path);
    EXPECT_TRUE(pathExists(applyLongPathRule(path)));
}

TEST(ModulePath, GrowsTheBufferUntilTheNameFits) {
    DWORD error = ERROR_GEN_FAILURE;
    const std::wstring full = moduleFileName(nullptr, error);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    // A buffer of exactly the name's length has no room for the NUL: the
    // system cuts the name there and that must be noticed.
    const DWORD length = static_cast<DWORD>(full.size());
    for (DWORD capacity : {DWORD{0}, DWORD{1}, DWORD{7}, length - 1, length, length + 1}) {
        error = ERROR_GEN_FAILURE;
        EXPECT_EQ(moduleFileName(nullptr, error, capacity), full) << capacity;
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    }
}

TEST(ModulePath, UnknownModuleGivesEmptyNameAndTheError) {
    DWORD error = ERROR_SUCCESS;
    EXPECT_EQ(moduleFileName(reinterpret_cast<HMODULE>(0x10000), error), L"");
    EXPECT_NE(error, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(FileExists, AbsoluteRelativeAndPatterns) {
    TempFolder temp;
    ASSERT_TRUE(writeFile(temp / L"app.jar", "x", 1));
    EXPECT_TRUE(fileExists(temp / L"app.jar"));
    EXPECT_TRUE(fileExists(temp / L"*.jar"));
    EXPECT_TRUE(fileExists(temp.path()));
    EXPECT_FALSE(fileExists(temp / L"other.jar"));
    EXPECT_TRUE(absolutePathExists(temp / L"app.jar"));
    EXPECT_FALSE(absolutePathExists(temp / L"other.jar"));

    CurrentFolderScope inTemp(temp.path());
    EXPECT_TRUE(fileExists(L"app.jar"));
    EXPECT_FALSE(absolutePathExists(L"app.jar"));
}

TEST(FindFileInFolder, JoinsFolderAndNameWhenTheFileExists) {
    TempFolder temp;
    ASSERT_TRUE(writeFile(temp / L"java.dll", "x", 1));
    const std::wstring expected = temp / L"java.dll";
    EXPECT_EQ(findFileInFolder(temp.path(), L"java.dll"), expected);
    EXPECT_EQ(findFileInFolder(temp.path() + L"\\", L"java.dll"), expected);
    // A pattern gives the joined pattern, not the name of the match.
    EXPECT_EQ(findFileInFolder(temp.path(), L"j*.dll"), temp / L"j*.dll");
    EXPECT_EQ(findFileInFolder(temp.path(), L"jvm.dll"), L"");
    EXPECT_EQ(findFileInFolder(L"", L"java.dll"), L"");
}

TEST(FileFinder, FindsBeyondMaxPathWithAndWithoutPrefix) {
    TempFolder temp;
    const std::wstring folder = createLongFolder(temp.path());
    ASSERT_TRUE(writeFile(L"\\\\?\\" + folder + L"\\target.txt", "x", 1));
    const std::wstring pattern = folder + L"\\target.txt";
    ASSERT_GT(pattern.size(), kMaxPathLength);

    FileFinder finder;
    ASSERT_TRUE(finder.find(pattern.c_str()));
    EXPECT_STREQ(finder.found().cFileName, L"target.txt");
    EXPECT_TRUE(finder.find((L"\\\\?\\" + pattern).c_str()));
}

TEST(FileFinder, MissingPatternKeepsTheSystemError) {
    TempFolder temp;
    ASSERT_TRUE(writeFile(temp / L"a.txt", "x", 1));
    FileFinder finder;
    ASSERT_TRUE(finder.find((temp / L"a.txt").c_str()));
    EXPECT_FALSE(finder.find((temp / L"b.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    CurrentFolderScope inTemp(temp.path());
    EXPECT_TRUE(finder.find());
}

TEST(CreateFoldersForFile, CreatesTheFoldersButNotTheFile) {
    TempFolder temp;
    createFoldersForFile(temp / L"out\\logs\\app.log");
    EXPECT_TRUE(isFolder(temp / L"out"));
    EXPECT_TRUE(isFolder(temp / L"out\\logs"));
    EXPECT_FALSE(pathExists(temp / L"out\\logs\\app.log"));

    // With a trailing backslash the last name is taken for the file's.
    createFoldersForFile(temp / L"trail\\logs\\");
    EXPECT_TRUE(isFolder(temp / L"trail"));
    EXPECT_FALSE(pathExists(temp / L"trail\\logs"));

    createFoldersForFile(L"");
    createFoldersForFile(temp / L"plain.log");
    EXPECT_FALSE(pathExists(temp / L"plain.log"));
}

TEST(CreateFoldersForFile, RelativePathNeverCreatesItsFirstFolder) {
    TempFolder temp;
    CurrentFolderScope inTemp(temp.path());
    createFoldersForFile(L"missing\\b\\c.log");
    EXPECT_FALSE(pathExists(temp / L"missing"));

    ASSERT_TRUE(CreateDirectoryW((temp / L"present").c_str(), nullptr));
    createFoldersForFile(L"present\\b\\c.log");
    EXPECT_TRUE(isFolder(temp / L"present\\b"));
}

TEST(CreateFoldersForFile, FailureRemovesOnlyTheEmptyLevelBefore) {
    TempFolder temp;
    // "<" is not allowed in a name, so creating that level fails.
    createFoldersForFile(temp / L"one\\two\\bad<name\\x.log");
    EXPECT_TRUE(isFolder(temp / L"one"));
    EXPECT_FALSE(pathExists(temp / L"one\\two"));

    ASSERT_TRUE(CreateDirectoryW((temp / L"kept").c_str(), nullptr));
    ASSERT_TRUE(writeFile(temp / L"kept\\file.txt", "x", 1));
    createFoldersForFile(temp / L"kept\\bad<name\\x.log");
    EXPECT_TRUE(isFolder(temp / L"kept"));

    // An empty folder that was there before belongs to the user.
    ASSERT_TRUE(CreateDirectoryW((temp / L"one\\theirs").c_str(), nullptr));
    createFoldersForFile(temp / L"one\\theirs\\bad<name\\x.log");
    EXPECT_TRUE(isFolder(temp / L"one\\theirs"));

    // The first level below the root is never removed, even when empty.
    CurrentFolderScope inTemp(temp.path());
    ASSERT_TRUE(CreateDirectoryW((temp / L"first").c_str(), nullptr));
    createFoldersForFile(L"first\\bad<name\\x.log");
    EXPECT_TRUE(isFolder(temp / L"first"));
}

TEST(CreateFoldersForFile, NetworkPathPassesOverFailingLevels) {
    // "\\.\" paths have network form, yet reach the local disk; ".." lets
    // the walk go on past a level that cannot exist.
    TempFolder temp;
    createFoldersForFile(L"\\\\.\\" + (temp / L"bad<name\\..\\net\\app.log"));
    EXPECT_TRUE(isFolder(temp / L"net"));
    createFoldersForFile(temp / L"bad<name\\..\\local\\app.log");
    EXPECT_FALSE(pathExists(temp / L"local"));
}

TEST(FileIdentityOf, OneFileByEachOfItsNamesAndNoOther) {
    TempFolder temp;
    const std::wstring file = temp / L"\u00c4rger-Protokoll.log";
    EXPECT_FALSE(fileIdentityOf(file, false));
    const auto identity = fileIdentityOf(file, true);
    ASSERT_TRUE(identity);
    ASSERT_TRUE(pathExists(file));
    const std::wstring shortName = shortPathOf(file);
    ASSERT_FALSE(shortName.empty());
    // Letter case beyond ASCII, a "." level and the short name all open it.
    for (const std::wstring& name : {temp / L".\\\u00e4RGER-protokoll.log", shortName}) {
        const auto same = fileIdentityOf(name, false);
        EXPECT_TRUE(same && *same == *identity);
    }
    const auto other = fileIdentityOf(temp / L"anderes.log", true);
    EXPECT_TRUE(other && !(*other == *identity));
    EXPECT_FALSE(fileIdentityOf(temp.path(), true));
}

TEST(RemoveFolder, RemovesOnlyEmptyFolders) {
    TempFolder temp;
    ASSERT_TRUE(CreateDirectoryW((temp / L"full").c_str(), nullptr));
    ASSERT_TRUE(writeFile(temp / L"full\\file.txt", "x", 1));
    EXPECT_FALSE(removeFolder(temp / L"full"));
    EXPECT_TRUE(isFolder(temp / L"full"));

    const std::wstring longFolder = createLongFolder(temp.path());
    EXPECT_TRUE(removeFolder(longFolder));
    EXPECT_FALSE(pathExists(L"\\\\?\\" + longFolder));
    EXPECT_FALSE(removeFolder(longFolder));
}
