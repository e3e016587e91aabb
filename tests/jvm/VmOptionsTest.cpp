#include "jvm/VmOptions.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::wstring stripped(std::wstring text) {
    stripQuotePairs(text);
    return text;
}

void noExpansion(std::wstring&) {}

// A launcher folder C:\app with lib\a.jar and lib\b.jar (listed b first, as a
// file system may), and an ext folder.
std::vector<FoundFile> listAppFolder(const std::wstring& pattern) {
    static const std::map<std::wstring, std::vector<FoundFile>> matches = {
        {L"C:\\app\\lib\\*.jar", {{L"b.jar"}, {L"a.jar"}}},
        {L"C:\\app\\lib\\*", {{L"."}, {L".."}, {L"b.jar"}, {L"classes", true}}},
        {L"C:\\app\\classes", {{L"classes", true}}},
        {L"C:\\app\\app.jar", {{L"app.jar"}}},
        {L"D:\\ext\\*.jar", {{L"x.jar"}}},
    };
    auto it = matches.find(pattern);
    return it == matches.end() ? std::vector<FoundFile>() : it->second;
}

}  // namespace

TEST(FindParameterEnd, SpacesInsideQuotesDoNotEndAParameter) {
    std::wstring text = L"-Xmx50p \"-Dx=a b\" -Xss512k";
    EXPECT_EQ(findParameterEnd(text, 0), 7u);
    EXPECT_EQ(findParameterEnd(text, 8), 17u);
    EXPECT_EQ(findParameterEnd(text, 18), text.size());
    EXPECT_EQ(findParameterEnd(L"-Dp=\"C:\\My Files\"x y", 0), 18u);
    // An unclosed quote: the next space ends the parameter.
    EXPECT_EQ(findParameterEnd(L"-Da=\"b c", 0), 6u);
    // A doubled quote closes the group (the first of the two is literal),
    // as the quote stripping reads it.
    EXPECT_EQ(findParameterEnd(L"\"a\"\" b\" c", 0), 4u);
    EXPECT_EQ(findParameterEnd(L"\"a\"\"b\" c", 0), 6u);
    EXPECT_EQ(findParameterEnd(L"abc", 5), 3u);
}

TEST(StripQuotePairs, RemovesGroupingQuotes) {
    EXPECT_EQ(stripped(L"\"-Dx=a b\""), L"-Dx=a b");
    EXPECT_EQ(stripped(L"-Dapp.home=\"C:\\Program Files\\App\""), L"-Dapp.home=C:\\Program Files\\App");
    EXPECT_EQ(stripped(L"\"a\"\"b\""), L"a\"b\"");
    EXPECT_EQ(stripped(L"\"a\"-\"b\""), L"a-b");
    EXPECT_EQ(stripped(L"-Dx=\""), L"-Dx=\"");
    EXPECT_EQ(stripped(L"-Dx=\"open"), L"-Dx=\"open");
    EXPECT_EQ(stripped(L"\"\""), L"");
}

TEST(VmParameters, SplitStripSizeAndStack) {
    std::vector<std::wstring> parameters = splitVmParameters(L"-Xmx50p  \"-Dx=a b\" -Xss512k");
    ASSERT_EQ(parameters.size(), 3u);
    MemoryFigures memory{2ull * 1024 * 1024 * 1024, 0};
    std::uint32_t stack = 0;
    std::vector<std::wstring> options{L"-Djava.class.path=a.jar;"};
    for (const std::wstring& parameter : parameters) addVmParameter(parameter, memory, stack, options);
    EXPECT_EQ(options, (std::vector<std::wstring>{L"-Djava.class.path=a.jar;", L"-Xmx1048576K",
                                                  L"-Dx=a b", L"-Xss512k"}));
    EXPECT_EQ(stack, 524288u);

    // A relative stack size is made absolute first and then read in KiB.
    addVmParameter(L"-Xss1p", MemoryFigures{100ull * 1024 * 1024, 0}, stack, options);
    EXPECT_EQ(options.back(), L"-Xss1024K");
    EXPECT_EQ(stack, 1048576u);
    // A later -Xss replaces the earlier one, also with 0 for a bad form.
    addVmParameter(L"-Xss", memory, stack, options);
    EXPECT_EQ(stack, 0u);
    EXPECT_TRUE(splitVmParameters(L"").empty());
}

TEST(ClassPath, ClassifiesEntries) {
    EXPECT_FALSE(isResolvedOnDisk(L"C:\\lib\\a.jar"));
    EXPECT_FALSE(isResolvedOnDisk(L"\\\\server\\share\\a.jar"));
    EXPECT_TRUE(isResolvedOnDisk(L"C:\\lib\\*.jar"));
    EXPECT_TRUE(isResolvedOnDisk(L"\\lib\\a.jar"));
    EXPECT_TRUE(isResolvedOnDisk(L"a"));
    EXPECT_TRUE(isResolvedOnDisk(L""));
}

TEST(ClassPath, WildcardsRelativeAndAbsoluteEntries) {
    std::wstring classPath = composeClassPath({L"\\lib\\*.jar", L"C:\\shared\\util.jar"}, L"C:\\app",
                                              noExpansion, listAppFolder);
    EXPECT_EQ(classPath, L"C:\\app\\lib\\b.jar;C:\\app\\lib\\a.jar;C:\\shared\\util.jar;");

    EXPECT_EQ(composeClassPath({L"\\app.jar", L"D:\\ext\\*.jar"}, L"C:\\app", noExpansion,
                               listAppFolder),
              L"C:\\app\\app.jar;D:\\ext\\x.jar;");
}

TEST(ClassPath, MissingAndEmptyEntriesContributeNothing) {
    EXPECT_EQ(composeClassPath({L"\\missing\\*.jar", L"", L"\\app.jar"}, L"C:\\app", noExpansion,
                               listAppFolder),
              L"C:\\app\\app.jar;");
    EXPECT_EQ(composeClassPath({}, L"C:\\app", noExpansion, listAppFolder), L"");
}

TEST(ClassPath, EntriesAreExpandedBeforeTheyAreClassified) {
    auto expand = [](std::wstring& text) {
        if (text == L"%EXT%\\*.jar") text = L"D:\\ext\\*.jar";
        if (text == L"%SHARED%") text = L"\\\\server\\s.jar";
    };
    EXPECT_EQ(composeClassPath({L"%EXT%\\*.jar", L"%SHARED%"}, L"C:\\app", expand, listAppFolder),
              L"D:\\ext\\x.jar;\\\\server\\s.jar;");
}

TEST(ClassPath, RelativeEntriesInAnyFormAndPlusSectionBlanks) {
    const std::wstring both = L"C:\\app\\lib\\b.jar;C:\\app\\lib\\a.jar;";
    for (const wchar_t* entry : {L"\\lib\\*.jar", L"lib\\*.jar", L"lib/*.jar", L"/lib/*.jar", L" \\lib\\*.jar "})
        EXPECT_EQ(composeClassPath({entry}, L"C:\\app", noExpansion, listAppFolder), both) << entry;
}

TEST(ClassPath, WildcardsMatchFilesOnlyButANamedFolderCounts) {
    EXPECT_EQ(composeClassPath({L"\\lib\\*", L"\\classes"}, L"C:\\app", noExpansion, listAppFolder),
              L"C:\\app\\lib\\b.jar;C:\\app\\classes;");
}

TEST(VmParameters, PlusSectionValueGivesNoEmptyOption) {
    std::vector<std::wstring> options;
    std::uint32_t stack = 0;
    for (const std::wstring& p : splitVmParameters(L" -Xmx512m  \"\" -Dx=1"))
        addVmParameter(p, MemoryFigures{}, stack, options);
    EXPECT_EQ(options, (std::vector<std::wstring>{L"-Xmx512m", L"-Dx=1"}));
}
