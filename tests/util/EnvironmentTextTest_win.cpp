#include "util/Environment_win.h"
#include "util/EnvironmentText.h"

#include <windows.h>

#include <gtest/gtest.h>

// The launcher expands references itself (in one pass, over texts of any
// length); for the texts the system can take it must agree with it.
TEST(EnvironmentText, AgreesWithTheSystemsExpansion) {
    SetEnvironmentVariableW(L"ENVTEXT_HOME", L"C:\\rt");
    SetEnvironmentVariableW(L"ENVTEXT_EMPTY", L"");
    for (const wchar_t* text : {L"-Dx=%ENVTEXT_HOME%\\lib", L"%ENVTEXT_UNSET%;x", L"50%", L"%%", L"a%%b",
                                L"%ENVTEXT_UNSET%ENVTEXT_HOME%", L"[%ENVTEXT_EMPTY%]", L"%envtext_home%",
                                L"%ENVTEXT_HOME", L"%", L"%%ENVTEXT_HOME%%"}) {
        wchar_t system[1024] = {};
        const DWORD length = ExpandEnvironmentStringsW(text, system, 1024);
        ASSERT_GT(length, 0u);
        EXPECT_EQ(expandEnvironmentReferences(text, environmentValue), std::wstring(system)) << text;
    }
    SetEnvironmentVariableW(L"ENVTEXT_HOME", nullptr);
    SetEnvironmentVariableW(L"ENVTEXT_EMPTY", nullptr);
}

TEST(EnvironmentValue, TellsAnEmptyValueFromAMissingOne) {
    SetEnvironmentVariableW(L"ENVTEXT_EMPTY", L"");
    EXPECT_EQ(environmentValue(L"ENVTEXT_EMPTY"), std::wstring());
    EXPECT_EQ(environmentValue(L"ENVTEXT_NEVER_SET"), std::nullopt);
    SetEnvironmentVariableW(L"ENVTEXT_EMPTY", nullptr);
}
