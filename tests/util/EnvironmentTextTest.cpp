#include "util/EnvironmentText.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::optional<std::wstring> lookup(const std::wstring& name) {
    static const std::map<std::wstring, std::wstring> variables = {
        {L"HOME", L"C:\\rt"}, {L"OS", L"Windows_NT"}, {L"EMPTY", L""}, {L"LOOP", L"%HOME%"}};
    auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
}

std::wstring expanded(const std::wstring& text) {
    return expandEnvironmentReferences(text, lookup);
}

}  // namespace

TEST(EnvironmentText, ReplacesSetVariablesAndKeepsTheRest) {
    EXPECT_EQ(expanded(L"-Dhome=%HOME%\\lib"), L"-Dhome=C:\\rt\\lib");
    EXPECT_EQ(expanded(L"%HOME%%OS%"), L"C:\\rtWindows_NT");
    EXPECT_EQ(expanded(L"[%EMPTY%]"), L"[]");
    EXPECT_EQ(expanded(L"%UNSET%;x"), L"%UNSET%;x");
    EXPECT_EQ(expanded(L"50%"), L"50%");
    EXPECT_EQ(expanded(L"100%%"), L"100%%");
    EXPECT_EQ(expanded(L""), L"");
}

TEST(EnvironmentText, UnsetReferenceStaysWholeWithBothSigns) {
    EXPECT_EQ(expanded(L"%UNSET%OS%"), L"%UNSET%OS%");
    EXPECT_EQ(expanded(L"%UNSET%%OS%"), L"%UNSET%Windows_NT");
    EXPECT_EQ(expanded(L"%%HOME%%"), L"%%HOME%%");
}

TEST(EnvironmentText, ValuesAreNeverExpandedAgain) {
    EXPECT_EQ(expanded(L"%LOOP%"), L"%HOME%");
    // A name found on disk that happens to hold a reference stays itself
    // when the text around it was expanded before it was added.
    EXPECT_EQ(expanded(L"%HOME%") + L"\\x%OS%y.jar", L"C:\\rt\\x%OS%y.jar");
}

TEST(EnvironmentText, TextsOfAnyLengthKeepEveryPart) {
    // Longer than the 32K characters the system's own expansion takes.
    std::wstring text;
    std::wstring expected;
    for (int i = 0; i < 3000; ++i) {
        std::wstring entry = L"C:\\app\\lib\\library-number-" + std::to_wstring(i) + L".jar;";
        text += entry;
        expected += entry;
    }
    text += L"%HOME%\\last.jar";
    expected += L"C:\\rt\\last.jar";
    ASSERT_GT(text.size(), 32767u);
    EXPECT_EQ(expanded(text), expected);
}
