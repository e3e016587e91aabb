#include "launcher/ConsoleMessage.h"

#include <gtest/gtest.h>

TEST(ConsoleMessage, OneLineEndWhateverTheTextEndsWithAndLineFeedsAsCrLf) {
    EXPECT_EQ(consoleMessage(L"tool", L"Main class fehlt."), L"tool: Main class fehlt.\r\n");
    EXPECT_EQ(consoleMessage(L"tool", L"JNI Fehler: x\nReason: y.\n"), L"tool: JNI Fehler: x\r\nReason: y.\r\n");
    EXPECT_EQ(consoleMessage(L"tool", L"a\r\nb\r\n\r\n"), L"tool: a\r\nb\r\n");
}

TEST(ConsoleMessage, TheProgramIsNamedWithoutFolderAndExe) {
    EXPECT_EQ(programNameOf(L"C:\\Tools\\MyTool.EXE"), L"MyTool");
    EXPECT_EQ(programNameOf(L"C:\\My.Tools\\my.tool.exe"), L"my.tool");
    EXPECT_EQ(programNameOf(L"C:\\Tools\\tool.com"), L"tool.com");
}

TEST(ConsoleMessage, ConsoleEventsEndTheApplicationAsSignalsWould) {
    EXPECT_EQ(consoleEventExitStatus(0), 130);
    EXPECT_EQ(consoleEventExitStatus(1), 149);
    EXPECT_EQ(consoleEventExitStatus(2), 143);
    EXPECT_EQ(consoleEventExitStatus(5), 0);
    EXPECT_EQ(consoleEventExitStatus(6), 0);
}

TEST(ConsoleMessage, Utf8KeepsEveryCharacterAndMarksBrokenSurrogates) {
    EXPECT_EQ(utf8Of(L"\u0141\u00f3d\u017a \u88fd \U0001F600"),
              "\xc5\x81\xc3\xb3" "d\xc5\xba \xe8\xa3\xbd \xf0\x9f\x98\x80");
    std::wstring broken(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(utf8Of(broken + L"x"), "\xef\xbf\xbdx");
}
