#include "util/Paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(StripPathLevels, CutsAtBackslashesOnly) {
    EXPECT_EQ(stripPathLevels(L"C:\\jre\\bin\\client\\jvm.dll", 2), L"C:\\jre\\bin");
    // Once no backslash is left, further passes change nothing.
    EXPECT_EQ(stripPathLevels(L"C:\\jvm.dll", 1), L"C:");
    EXPECT_EQ(stripPathLevels(L"C:\\jvm.dll", 2), L"C:");
    EXPECT_EQ(stripPathLevels(L"C:/jre/bin/jvm.dll", 1), L"C:/jre/bin/jvm.dll");
    EXPECT_EQ(stripPathLevels(L"C:\\jre\\bin\\", 1), L"C:\\jre\\bin");
    EXPECT_EQ(stripPathLevels(L"C:\\jre", 0), L"C:\\jre");
    EXPECT_EQ(stripPathLevels(L"", 3), L"");
}

TEST(JoinFolderAndName, AddsOneSeparatorWhenNeeded) {
    EXPECT_EQ(joinFolderAndName(L"C:\\jre\\bin", L"java.dll"), L"C:\\jre\\bin\\java.dll");
    EXPECT_EQ(joinFolderAndName(L"C:\\jre\\bin\\", L"java.dll"), L"C:\\jre\\bin\\java.dll");
    EXPECT_EQ(joinFolderAndName(L"C:/jre/bin/", L"java.dll"), L"C:/jre/bin/java.dll");
    EXPECT_EQ(joinFolderAndName(L"lib", L"*.jar"), L"lib\\*.jar");
    EXPECT_EQ(joinFolderAndName(L"", L"java.dll"), L"");
}

TEST(LongPathRule, PrefixesFromMaxPathOn) {
    const std::wstring base = L"C:\\" + std::wstring(400, L'a');
    const std::wstring at259 = base.substr(0, 259);
    const std::wstring at260 = base.substr(0, 260);
    const std::wstring at300 = base.substr(0, 300);
    EXPECT_EQ(applyLongPathRule(at259), at259);
    EXPECT_EQ(applyLongPathRule(at260), L"\\\\?\\" + at260);
    EXPECT_EQ(applyLongPathRule(at300), L"\\\\?\\" + at300);

    const std::wstring prefixed = (L"\\\\?\\" + base).substr(0, 300);
    EXPECT_EQ(applyLongPathRule(prefixed), prefixed);
    // A long UNC path keeps its form; it is not turned into "\\?\UNC\".
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(290, L'b');
    EXPECT_EQ(applyLongPathRule(unc), L"\\\\?\\" + unc);
}

TEST(PathForms, AbsoluteAndUnc) {
    EXPECT_TRUE(hasAbsolutePathForm(L"C:"));
    EXPECT_TRUE(hasAbsolutePathForm(L"C:relative"));
    EXPECT_TRUE(hasAbsolutePathForm(L"\\\\server\\share"));
    EXPECT_FALSE(hasAbsolutePathForm(L"\\dir\\file"));
    EXPECT_FALSE(hasAbsolutePathForm(L"lib\\a.jar"));
    EXPECT_FALSE(hasAbsolutePathForm(L"C"));
    EXPECT_FALSE(hasAbsolutePathForm(L""));

    for (const wchar_t* full : {L"C:\\Java", L"z:/java", L"\\\\server\\share", L"\\\\?\\C:\\Java"})
        EXPECT_TRUE(isFullyQualifiedPath(full)) << full;
    for (const wchar_t* partial : {L"jre", L"C:jre", L"C:", L"\\jre", L"/jre", L".\\jre", L"\u0141:\\jre", L""})
        EXPECT_FALSE(isFullyQualifiedPath(partial)) << partial;

    EXPECT_TRUE(hasUncForm(L"\\\\server\\share\\file"));
    EXPECT_TRUE(hasUncForm(L"\\\\server"));
    EXPECT_TRUE(hasUncForm(L"\\\\?\\UNC\\server\\share"));
    EXPECT_TRUE(hasUncForm(L"\\\\?\\unc\\server\\share"));
    EXPECT_FALSE(hasUncForm(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(hasUncForm(L"\\\\?\\UNC"));
    EXPECT_FALSE(hasUncForm(L"\\server"));
    EXPECT_FALSE(hasUncForm(L"C:\\x"));
}

struct FolderWalkCase {
    const wchar_t* path;
    const wchar_t* root;
    std::vector<std::wstring> components;
    std::vector<std::wstring> folders;
};

class FolderWalk : public testing::TestWithParam<FolderWalkCase> {};

TEST_P(FolderWalk, SplitsRootComponentsAndFolders) {
    const FolderWalkCase& c = GetParam();
    const RootAndComponents split = splitRootAndComponents(c.path);
    EXPECT_EQ(split.root, c.root);
    EXPECT_EQ(split.components, c.components);
    EXPECT_EQ(foldersLeadingToFile(c.path), c.folders);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderWalk,
    testing::Values(
        FolderWalkCase{L"C:\\out\\logs\\app.log", L"C:", {L"out", L"logs", L"app.log"},
                       {L"C:\\out", L"C:\\out\\logs"}},
        // The first folder of a relative path is its root and never created.
        FolderWalkCase{L"a\\b\\c.log", L"a", {L"b", L"c.log"}, {L"a\\b"}},
        FolderWalkCase{L"\\\\server\\share\\logs\\app.log", L"\\\\server",
                       {L"share", L"logs", L"app.log"},
                       {L"\\\\server\\share", L"\\\\server\\share\\logs"}},
        FolderWalkCase{L"\\\\?\\C:\\x\\y.log", L"\\\\?\\C:", {L"x", L"y.log"}, {L"\\\\?\\C:\\x"}},
        FolderWalkCase{L"\\\\?\\UNC\\server\\share\\x.log", L"\\\\?\\UNC\\server",
                       {L"share", L"x.log"}, {L"\\\\?\\UNC\\server\\share"}},
        // A trailing separator adds no empty component: logs is the "file".
        FolderWalkCase{L"C:\\out\\logs\\", L"C:", {L"out", L"logs"}, {L"C:\\out"}},
        FolderWalkCase{L"C:\\out\\\\logs\\a.log", L"C:", {L"out", L"logs", L"a.log"},
                       {L"C:\\out", L"C:\\out\\logs"}},
        FolderWalkCase{L"\\out\\a.log", L"", {L"out", L"a.log"}, {L"\\out"}},
        FolderWalkCase{L"\\\\server", L"\\\\server", {}, {}},
        FolderWalkCase{L"app.log", L"app.log", {}, {}},
        FolderWalkCase{L"", L"", {}, {}}));

TEST(WorkingFolder, DriveRootKeepsItsBackslash) {
    EXPECT_EQ(workingFolderOf(L"C:\\App\\Tool.exe"), L"C:\\App");
    // "E:" alone would name the drive's current folder, not its root.
    EXPECT_EQ(workingFolderOf(L"E:\\Tool.exe"), L"E:\\");
    EXPECT_EQ(workingFolderOf(L"\\\\server\\share\\Tool.exe"), L"\\\\server\\share");
    EXPECT_EQ(workingFolderOf(L"Tool.exe"), L"");
    EXPECT_EQ(folderOf(L"C:\\App\\Tool.exe"), L"C:\\App\\");
    EXPECT_EQ(folderOf(L"Tool.exe"), L"");
    EXPECT_EQ(runtimeBinFolderOf(L"C:\\jdk\\bin\\server\\jvm.dll"), L"C:\\jdk\\bin");
    EXPECT_EQ(runtimeBinFolderOf(L"C:\\jre\\BIN\\client\\jvm.dll"), L"C:\\jre\\BIN");
    EXPECT_EQ(runtimeBinFolderOf(L"C:\\jrockit\\jvm\\jvm.dll"), L"C:\\jrockit\\jvm");
}

TEST(AbsolutePathFrom, RelativeNamesGoUnderTheWorkingFolder) {
    EXPECT_EQ(absolutePathFrom(L"logs\\app.log", L"C:\\App"), L"C:\\App\\logs\\app.log");
    EXPECT_EQ(absolutePathFrom(L"..\\app.log", L"C:\\App\\"), L"C:\\App\\..\\app.log");
    EXPECT_EQ(absolutePathFrom(L"\\logs\\app.log", L"D:\\App"), L"D:\\logs\\app.log");
    EXPECT_EQ(absolutePathFrom(L"C:\\logs\\app.log", L"D:\\App"), L"C:\\logs\\app.log");
    EXPECT_EQ(absolutePathFrom(L"\\\\srv\\s\\app.log", L"D:\\App"), L"\\\\srv\\s\\app.log");
    EXPECT_EQ(absolutePathFrom(L"app.log", L""), L"app.log");
}

TEST(SamePath, IgnoresCaseAndSeparatorForm) {
    EXPECT_TRUE(isSamePath(L"C:\\Logs\\App.log", L"c:/logs/app.LOG"));
    EXPECT_FALSE(isSamePath(L"C:\\logs\\app.log", L"C:\\logs\\app.log2"));
    EXPECT_FALSE(isSamePath(L"C:\\logs\\a.log", L"C:\\logs\\b.log"));
}
