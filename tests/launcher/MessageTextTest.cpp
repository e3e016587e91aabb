#include "launcher/MessageText.h"

#include <gtest/gtest.h>

TEST(MessageText, FillsWindowsErrorFormat) {
    // A module-path failure with error 5: detail in "%s", number in "%d",
    // ending with a full stop and a line feed.
    EXPECT_EQ(formatText(L"Windows Fehler: %s (Fehlernummer = %d).\n",
                         {L"konnte den Modulpfad nicht finden", L"5"}),
              L"Windows Fehler: konnte den Modulpfad nicht finden (Fehlernummer = 5).\n");
}

TEST(MessageText, FillsJniErrorOnTwoLines) {
    std::wstring text = formatText(L"JNI Fehler: %s\nReason: %s.\n",
                                   {L"konnte die Java VM nicht erzeugen",
                                    L"nicht genügend Arbeitsspeicher"});
    EXPECT_EQ(text, L"JNI Fehler: konnte die Java VM nicht erzeugen\n"
                    L"Reason: nicht genügend Arbeitsspeicher.\n");
}

TEST(MessageText, EmptyReasonAndMissingArguments) {
    EXPECT_EQ(formatText(L"a %s b %s.", {L"x", L""}), L"a x b .");
    EXPECT_EQ(formatText(L"a %s b %d.", {L"x"}), L"a x b .");
}

TEST(MessageText, PercentSignsInArgumentsAreNotReadAsFormat) {
    EXPECT_EQ(formatText(L"Konnte die Main Class: %s nicht laden.\n", {L"a%sb%d"}),
              L"Konnte die Main Class: a%sb%d nicht laden.\n");
    EXPECT_EQ(formatText(L"100%% %x %", {}), L"100% %x %");
}

TEST(MessageText, TraceKeepsEveryControlCharacterVisible) {
    using namespace std::string_literals;
    const std::wstring trace = L"java.lang.IllegalStateException: vor\0nach\x1b[0m\x7f\x85\nzwei\rdrei\r\n\tat x\r\n"s;
    EXPECT_EQ(visibleTraceText(trace), L"java.lang.IllegalStateException: vor\\u0000nach\\u001b[0m\\u007f\\u0085\r\n"
                                       L"zwei\r\ndrei\r\n\tat x\r\n");
}
