#include "jvm/AnsiOptions.h"

#include <gtest/gtest.h>

#include <map>

TEST(AnsiOptions, PathsTheCodePageCannotHoldGoByTheirShortNames) {
    // A code page of plain ASCII; short names exist for two folders.
    const std::map<std::wstring, std::wstring> shortNames = {
        {L"C:\\\u0416\u0443\u043a\\lib\\a.jar", L"C:\\8FD1~1\\lib\\a.jar"},
        {L"C:\\\u4e2d\u6587", L"C:\\4E2D~1"},
    };
    CodePageProbes probes;
    probes.fits = [](const std::wstring& text) {
        for (wchar_t c : text)
            if (c > 0x7F) return false;
        return true;
    };
    probes.shortName = [&shortNames](const std::wstring& path) {
        auto it = shortNames.find(path);
        return it == shortNames.end() ? std::wstring() : it->second;
    };
    struct Case {
        const char* what;
        std::vector<std::wstring> options;
        std::vector<std::wstring> fitted;  // empty: refused
        std::wstring unrepresentable;
    } cases[] = {
        {"options that fit stay as they are", {L"-Xmx512m", L"-Djava.class.path=C:\\a.jar;D:\\b"},
         {L"-Xmx512m", L"-Djava.class.path=C:\\a.jar;D:\\b"}, L""},
        {"only the entries that do not fit change",
         {L"-Djava.class.path=C:\\x.jar;C:\\\u0416\u0443\u043a\\lib\\a.jar;", L"-javaagent:C:\\\u4e2d\u6587"},
         {L"-Djava.class.path=C:\\x.jar;C:\\8FD1~1\\lib\\a.jar;", L"-javaagent:C:\\4E2D~1"}, L""},
        {"a path without a short name is named", {L"-Dapp.home=C:\\\u0141ukasz"}, {}, L"C:\\\u0141ukasz"},
        {"an option that is no path is named", {L"-Xmx512m", L"-verbose\u00e4"}, {}, L"-verbose\u00e4"},
        {"a property name that does not fit is named", {L"-D\u00e4=C:\\a"}, {}, L"-D\u00e4=C:\\a"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring unrepresentable;
        const bool fitted = fitOptionsToCodePage(c.options, probes, unrepresentable);
        EXPECT_EQ(fitted, !c.fitted.empty());
        if (fitted) {
            EXPECT_EQ(c.options, c.fitted);
        }
        EXPECT_EQ(unrepresentable, c.unrepresentable);
    }
}
