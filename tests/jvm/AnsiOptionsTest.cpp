#include "jvm/AnsiOptions.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A code page of plain ASCII; short names exist for the folders and files
// listed, as on a disk where C:\Łukasz and two others exist.
CodePageProbes asciiProbes() {
    static const std::map<std::wstring, std::wstring> shortNames = {
        {L"C:\\\u0416\u0443\u043a\\lib\\a.jar", L"C:\\8FD1~1\\lib\\a.jar"},
        {L"C:\\\u4e2d\u6587", L"C:\\4E2D~1"},
        {L"C:\\Users\\\u0141ukasz", L"C:\\Users\\UKASZ~1"},
        {L"C:\\Users", L"C:\\Users"},
        {L"C:\\", L"C:\\"},
        {L"D:\\\u0416", L"D:\\\u0416"},  // a volume without short names
    };
    CodePageProbes probes;
    probes.fits = [](const std::wstring& text) {
        for (wchar_t c : text)
            if (c > 0x7F) return false;
        return true;
    };
    probes.shortName = [](const std::wstring& path) {
        auto it = shortNames.find(path);
        return it == shortNames.end() ? std::wstring() : it->second;
    };
    return probes;
}

}  // namespace

TEST(AnsiOptions, EachOptionTravelsByTheWayThatKeepsWhatItSays) {
    const std::wstring home = L"C:\\Users\\\u0141ukasz";
    struct Case {
        const char* what;
        std::vector<std::wstring> options;
        std::vector<std::wstring> fitted;
        std::vector<std::pair<std::wstring, std::wstring>> late;
    } cases[] = {
        {"options that fit stay as they are",
         {L"-Xmx512m", L"-Djava.class.path=C:\\a.jar;D:\\b"},
         {L"-Xmx512m", L"-Djava.class.path=C:\\a.jar;D:\\b"},
         {}},
        {"path-list entries that do not fit go by short name, or are left out "
         "when they do not exist",
         {L"-Djava.class.path=C:\\x.jar;C:\\\u0416\u0443\u043a\\lib\\a.jar;",
          L"-Djava.library.path=C:\\lib;C:\\\u0416\u0443\u043a\\gone;C:"
          L"\\\u4e2d\u6587;."},
         {L"-Djava.class.path=C:\\x.jar;C:\\8FD1~1\\lib\\a.jar;", L"-Djava.library.path=C:\\lib;C:\\4E2D~1;."},
         {}},
        {"a path after a colon or after -XX:Name= goes by the short name of its "
         "existing part",
         {L"-javaagent:C:\\\u4e2d\u6587\\agent.jar=opts", L"-XX:HeapDumpPath=" + home + L"\\dumps",
          L"-Xlog:gc:file=" + home + L"\\gc.log:uptime"},
         {L"-javaagent:C:\\4E2D~1\\agent.jar=opts", L"-XX:HeapDumpPath=C:\\Users\\UKASZ~1\\dumps",
          L"-Xlog:gc:file=C:\\Users\\UKASZ~1\\gc.log:uptime"},
         {}},
        {"properties that are text reach Java as they are, never as a file's "
         "name",
         {L"-Dapp.title=\u041f\u0440\u0438\u0432\u0435\u0442", L"-Duser.name=\u0141ukasz", L"-D\u00e4=C:\\a",
          L"-Dapp.home=" + home, L"-Dflag\u00e4"},
         {},
         {{L"app.title", L"\u041f\u0440\u0438\u0432\u0435\u0442"},
          {L"user.name", L"\u0141ukasz"},
          {L"\u00e4", L"C:\\a"},
          {L"app.home", home},
          {L"flag\u00e4", L""}}},
        {"a property the VM reads while it is created goes by short name",
         {L"-Duser.home=" + home},
         {L"-Duser.home=C:\\Users\\UKASZ~1"},
         {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FittedOptions fitted = fitOptionsToCodePage(c.options, asciiProbes());
        EXPECT_EQ(fitted.refused, L"");
        EXPECT_EQ(fitted.options, c.fitted);
        std::vector<std::pair<std::wstring, std::wstring>> late;
        for (const LateProperty& property : fitted.lateProperties) late.emplace_back(property.name, property.value);
        EXPECT_EQ(late, c.late);
    }
}

TEST(AnsiOptions, OnlyAnOptionThatCanTravelInNoWayIsRefusedByName) {
    const std::wstring refused[] = {
        L"-verbose\u00e4",                                   // no path, no property
        L"-XX:HeapDumpPath=C:\\Users\\\u0141ukasz\\\u017c",  // the part that does
                                                             // not exist does not
                                                             // fit
        L"-Xlog:gc:file=D:\\\u0416\\gc.log",                 // no short names on that volume
        L"-Djava.class.path=lib\\\u0416.jar",                // a relative entry
        L"-Duser.dir=C:\\\u017c",                            // read at creation, and it does not exist
    };
    for (const std::wstring& option : refused) {
        const FittedOptions fitted = fitOptionsToCodePage({L"-Xmx64m", option, L"-Dlater=x"}, asciiProbes());
        EXPECT_EQ(fitted.refused, option);
    }
}
