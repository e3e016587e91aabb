#include "jvm/RuntimeEnvironment_win.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

std::wstring expanded(std::wstring text) {
    expandEnvironment(text);
    return text;
}

// Sets a variable for one test.
class Variable {
public:
    Variable(const wchar_t* name, const wchar_t* value) : name_(name) {
        SetEnvironmentVariableW(name, value);
    }
    ~Variable() { SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

}  // namespace

TEST(ExpandEnvironment, ReplacesKnownReferencesOnly) {
    Variable home(L"EXPAND_TEST_HOME", L"C:\\rt");
    EXPECT_EQ(expanded(L"-Dhome=%EXPAND_TEST_HOME%\\lib"), L"-Dhome=C:\\rt\\lib");
    EXPECT_EQ(expanded(L"%EXPAND_TEST_UNSET%;x"), L"%EXPAND_TEST_UNSET%;x");
    EXPECT_EQ(expanded(L"50%"), L"50%");
    EXPECT_EQ(expanded(L""), L"");
}

TEST(ExpandEnvironment, LongClassPathsKeepEveryEntry) {
    // Longer than the 32K characters the system's expansion takes at once.
    Variable jars(L"EXPAND_TEST_JARS", L"D:\\jars");
    std::wstring text = L"-Djava.class.path=";
    std::wstring expected = text;
    for (int i = 0; i < 3000; ++i) {
        std::wstring entry = L"C:\\app\\lib\\library-number-" + std::to_wstring(i) + L".jar;";
        text += entry;
        expected += entry;
    }
    text += L"%EXPAND_TEST_JARS%\\last.jar;";
    expected += L"D:\\jars\\last.jar;";
    ASSERT_GT(text.size(), 32767u);
    EXPECT_EQ(expanded(text), expected);

    // Without any reference the text is left alone whatever its length.
    std::wstring plain(70000, L'a');
    EXPECT_EQ(expanded(plain), plain);
}
