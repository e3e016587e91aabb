// The console flavour (launcherc.exe, launcher64c.exe) as scripts and users
// at a prompt run a command-line tool: through cmd /c with its streams in
// files, or in a console of its own (console_driver.exe), on the real VM.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

const DWORD kLauncherFailed = 0xFFFFFFFF;
const char* const kLodz = "\xc5\x81\xc3\xb3" "d\xc5\xba";  // "Łódź" in UTF-8

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::wstring consoleLauncherIn(const std::wstring& folder, bool x64) {
    return folder + (x64 ? L"\\launcher64c.exe" : L"\\launcherc.exe");
}

class ConsoleFlavour : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(layOutRealJava(app.appPath())) << "the real VM or its jars were not built";
    }

    static std::wstring iniText(const std::wstring& mainClass, const std::wstring& runtimeKeys,
                                const std::wstring& applicationKeys) {
        return L"[Java Runtime Environment]\nMain Class=" + mainClass + L"\n" + runtimeKeys +
               L"[Class Path]\nClass Path=\\lib\\*.jar\n[Application]\n" + applicationKeys;
    }

    bool configure(const std::wstring& mainClass = L"realapp.RealApp", const std::wstring& runtimeKeys = L"",
                   const std::wstring& applicationKeys = L"") {
        return app.writeIni(iniText(mainClass, runtimeKeys, applicationKeys));
    }

    // As a script runs it: cmd /c "Tool.exe arguments", in the application's
    // folder, with standard input, output and error in files.
    RunResult script(const std::wstring& arguments, const std::string& input = "") const {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        RunOptions options;
        options.arguments = L"/c \"\"" + app.exePath() + L"\" " + arguments + L"\"";
        options.appData = app.appDataPath();
        options.workingDirectory = app.appPath();
        options.timeoutMs = 60000;
        options.standardStreams = true;
        options.standardInput = input;
        return runProgram(std::wstring(system) + L"\\cmd.exe", options);
    }

    // As a user at a prompt runs it, in a console of its own; what the
    // console showed goes to screen. With a trigger file, Ctrl+C is pressed
    // once it exists.
    RunResult atPrompt(const std::wstring& arguments, std::string& screen, const std::wstring& trigger = L"-") const {
        const std::wstring screenFile = app.root() + L"\\screen.txt";
        RunOptions options;
        options.arguments = L"\"" + screenFile + L"\" \"" + trigger + L"\" \"" + app.exePath() + L"\" " + arguments;
        options.appData = app.appDataPath();
        options.timeoutMs = 100000;
        RunResult run = runProgram(testBinFolder() + L"\\console_driver.exe", options);
        screen = readFileBytes(screenFile);
        return run;
    }

    AppFolder app{L"Tool.exe", consoleLauncherIn(testBinFolder(), sizeof(void*) == 8)};
};

}  // namespace

TEST_F(ConsoleFlavour, ExitCodesAreTheApplicationsAsAScriptSeesThem) {
    ASSERT_TRUE(configure());
    RunResult run = script(L"args one");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run) << run.standardError;
    EXPECT_TRUE(contains(run.standardOutput, "count 2\r\n")) << run.standardOutput;

    run = script(L"exit 42");
    EXPECT_EQ(run.exitCode, 42u) << describeRun(run) << run.standardError;

    // As the VM prints it at a thread's end, and no dialog even with the
    // check configured.
    ASSERT_TRUE(configure(L"realapp.RealApp", L"", L"Failure Check=Yes\n"));
    run = script(L"throw");
    EXPECT_EQ(run.exitCode, 1u) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_TRUE(contains(run.standardError, "java.lang.IllegalStateException: thrown by RealApp")) << run.standardError;
}

TEST_F(ConsoleFlavour, MessagesGoToStandardErrorInUtf8AfterTheProgramsName) {
    ASSERT_TRUE(configure(L"com.example.\u0141\u00f3d\u017a"));
    RunResult run = script(L"args");
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    // After what the VM itself says of the class.
    EXPECT_TRUE(contains(run.standardError,
                         std::string("\nTool: Konnte die Main class com/example/") + kLodz + " nicht finden.\r\n"))
        << run.standardError;

    // The runtime-not-found dialog becomes a message that names the page.
    ASSERT_TRUE(MoveFileW((app.appPath() + L"\\jre").c_str(), (app.root() + L"\\jre").c_str()));
    ASSERT_TRUE(configure(L"realapp.RealApp", L"Minimum Version=99\n"));
    run = script(L"args");
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.standardError.rfind("Tool: Die Java-Laufzeitumgebung (JRE) wurde nicht gefunden.", 0), 0u)
        << run.standardError;
    EXPECT_TRUE(contains(run.standardError, " von: https://adoptium.net/\r\n")) << run.standardError;
}

TEST_F(ConsoleFlavour, TheCallersStreamsCarryOutputAndInput) {
    ASSERT_TRUE(configure());
    RunResult run = script(L"ask", "Ada\r\n");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run) << run.standardError;
    EXPECT_EQ(run.standardOutput, "Your name?\r\nHello, Ada!\r\n");

    run = script(L"print > out.txt");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run) << run.standardError;
    EXPECT_EQ(readFileBytes(app.appPath() + L"\\out.txt"), "out line\r\n");
    EXPECT_EQ(run.standardError, "err line\r\n");
}

TEST_F(ConsoleFlavour, OnAConsoleMessagesAreTextAndCtrlCRunsTheShutdownHooks) {
    ASSERT_TRUE(configure(L"com.example.\u0141\u00f3d\u017a"));
    std::string screen;
    RunResult run = atPrompt(L"args", screen);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(contains(screen, std::string("Tool: Konnte die Main class com/example/") + kLodz)) << screen;

    ASSERT_TRUE(configure());
    const std::wstring hook = app.appPath() + L"\\hook.txt";
    const std::wstring waiting = app.appPath() + L"\\waiting.txt";
    run = atPrompt(L"hook \"" + hook + L"\" \"" + waiting + L"\"", screen, waiting);
    EXPECT_EQ(run.exitCode, 130u) << describeRun(run) << screen;
    EXPECT_EQ(readFileBytes(hook), "hook ran") << screen;
    EXPECT_TRUE(contains(screen, "waiting")) << screen;
    EXPECT_FALSE(contains(screen, "never interrupted")) << screen;
}

TEST_F(ConsoleFlavour, TheConsoleSiblingWritesToTheSameStreamsAndItsCodeIsPassedOn) {
    const std::wstring sibling = siblingBinFolder();
    if (sizeof(void*) == 8 || sibling.empty()) GTEST_SKIP() << "the 32-bit build hands over to its 64-bit sibling";
    ASSERT_TRUE(CopyFileW(consoleLauncherIn(sibling, true).c_str(), (app.appPath() + L"\\Tool64.exe").c_str(), FALSE));
    // The 64-bit VM beside both: the 32-bit one hands the start over.
    ASSERT_TRUE(layOutRealJava(app.appPath(), sibling));
    ASSERT_TRUE(configure(L"realapp.RealApp", L"", L"Pair Product=Tool64.exe\n"));
    ASSERT_TRUE(AppFolder::writeUtf16File(app.appPath() + L"\\Tool64.ini", iniText(L"realapp.RealApp", L"", L"")));
    RunResult run = script(L"exit 42");
    EXPECT_EQ(run.exitCode, 42u) << describeRun(run) << run.standardError;
    EXPECT_EQ(run.standardOutput, "exiting with 42\r\n");

    // Ctrl+C in the shared console is the sibling's: its hook runs, and the
    // waiting launcher passes its code on instead of ending first.
    const std::wstring hook = app.appPath() + L"\\hook.txt";
    const std::wstring waiting = app.appPath() + L"\\waiting.txt";
    std::string screen;
    run = atPrompt(L"hook \"" + hook + L"\" \"" + waiting + L"\"", screen, waiting);
    EXPECT_EQ(run.exitCode, 130u) << describeRun(run) << screen;
    EXPECT_EQ(readFileBytes(hook), "hook ran") << screen;
}

TEST_F(ConsoleFlavour, ALaterStartEndsWithTheFirstInstancesAnswer) {
    ASSERT_TRUE(configure(L"realapp.RealApp", L"", L"Output File=out.log\nSingle Instance=yes\n"));
    auto first = std::async(std::launch::async, [this] { return script(L"serve"); });
    const std::wstring out = app.appPath() + L"\\out.log";
    for (int i = 0; i < 400 && !contains(readFileBytes(out), "serving"); ++i) Sleep(50);
    ASSERT_TRUE(contains(readFileBytes(out), "serving")) << "the first instance's main did not start";
    RunResult later = script(L"x y");
    EXPECT_EQ(later.exitCode, 7u) << describeRun(later) << later.standardError;
    EXPECT_TRUE(later.dialogs.empty()) << describeRun(later);
    EXPECT_EQ(first.get().exitCode, 0u);
    EXPECT_TRUE(contains(readFileBytes(out), "secondary 2: ")) << readFileBytes(out);
}
