#include "util/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::wstring>;

struct CommandLineCase {
    const wchar_t* commandLine;
    Args arguments;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << testing::PrintToString(std::wstring(c.commandLine));
}

class CommandLineArguments : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineArguments, AfterProgramPath) {
    EXPECT_EQ(argumentsFromCommandLine(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineArguments, testing::Values(
    CommandLineCase{L"", {}},
    CommandLineCase{L"C:\\App\\Tool.exe", {}},
    CommandLineCase{L"\"C:\\Program Files\\Tool.exe\"", {}},
    CommandLineCase{L" \t Tool.exe \t ", {}},
    CommandLineCase{L"Tool.exe \"a b\" c", {L"a b", L"c"}},
    CommandLineCase{L"Tool.exe x\"y z\"", {L"x\"y", L"z\""}},
    CommandLineCase{L"Tool.exe \"", {L""}},
    CommandLineCase{L"Tool.exe \"a b", {L"a b"}},
    CommandLineCase{L"Tool.exe \"\" \"\"", {L"", L""}},
    CommandLineCase{L"Tool.exe \"a\"b", {L"a", L"b"}},
    CommandLineCase{L"\"C:\\My Tools\\Tool.exe\"-nosplash", {L"-nosplash"}},
    CommandLineCase{L"Tool.exe a\tb   c\\\" ", {L"a\tb", L"c\\\""}},
    CommandLineCase{L"Tool.exe a \t\"b\"", {L"a", L"\t\"b\""}},
    CommandLineCase{L"Tool.exe \"a\"   \"b\"  ", {L"a", L"b"}}));

TEST(CommandLine, SplitterTakesTextAsItIs) {
    // Untrimmed text (a Cmd value) keeps the program-less layout: a leading
    // space is an empty first argument, trailing spaces add nothing.
    EXPECT_EQ(splitCommandLine(L" a  b  "), (Args{L"", L"a", L"b"}));
    EXPECT_EQ(splitCommandLine(L"Tool.exe"), Args{L"Tool.exe"});
    EXPECT_TRUE(splitCommandLine(L"").empty());
}

}  // namespace

TEST(CommandLine, NoSplashSwitchesMatchExactly) {
    EXPECT_TRUE(asksForNoSplash({L"a", L"-nosplash"}));
    EXPECT_TRUE(asksForNoSplash({L"/nosplash", L"b"}));
    EXPECT_FALSE(asksForNoSplash({L"-NOSPLASH", L"/NoSplash", L"--nosplash", L"-nosplash2"}));
    EXPECT_FALSE(asksForNoSplash({}));
}
