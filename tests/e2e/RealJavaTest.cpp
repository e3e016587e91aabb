// The launcher on a real Java VM (Avian, built for Windows with this build's
// compilers; see tests/realjvm): real bytecode from real jars, real threads,
// System.exit, exceptions and redirected streams, for what the stand-in
// runtime can only pretend. The VM lies beside the executable as its jre\.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

const DWORD kLauncherFailed = 0xFFFFFFFF;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// An application folder with the launcher, the real VM as jre\ beside it, and
// lib\realapp.jar (the main class) and lib\realhelper.jar (a class it uses).
class RealJava : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(layOutRealJava(app.appPath())) << "the real VM or its jars were not built";
    }

    // The configuration: the main class, \lib\*.jar, then application keys.
    bool configure(const std::wstring& applicationKeys, const std::wstring& mainClass = L"realapp.RealApp",
                   const std::wstring& runtimeKeys = L"") {
        return app.writeIni(L"[Java Runtime Environment]\nMain Class=" + mainClass + L"\n" + runtimeKeys +
                            L"\n[Class Path]\nClass Path=\\lib\\*.jar\n[Application]\n" + applicationKeys);
    }

    RunResult start(const std::wstring& arguments) {
        RunOptions options;
        options.arguments = arguments;
        options.appData = app.appDataPath();
        options.timeoutMs = 60000;
        return runProgram(app.exePath(), options);
    }

    std::string file(const wchar_t* name) const { return readFileBytes(app.appPath() + L"\\" + name); }

    AppFolder app;
};

}  // namespace

TEST_F(RealJava, JarsOfTheClassPathRunAndArgumentsArriveIntact) {
    ASSERT_TRUE(configure(L"Output File=out.log\n"));
    // Cyrillic, CJK and a character beyond the BMP: none fits the ANSI code page.
    const std::wstring outside = L"\u0416\u0443\u043a \u4e2d\u6587 \U0001F600";
    RunResult run = start(L"args \"zwei W\u00f6rter\" \"" + outside + L"\"");
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(file(L"out.log"), "count 3\r\narg 0: " + units(L"args") + "\r\narg 1: " + units(L"zwei W\u00f6rter") +
                                    "\r\narg 2: " + units(outside) + "\r\n");
}

TEST_F(RealJava, PropertiesOutsideTheCodePageReachJavaIntact) {
    const std::wstring title = L"\u041f\u0440\u0438\u0432\u0435\u0442 \u4e2d\u6587";
    ASSERT_TRUE(configure(L"Output File=out.log\n", L"realapp.RealApp",
                          L"Virtual Machine Parameters=-Dapp.title=\"" + title + L"\" -Duser.name=\u0141ukasz\n"));
    RunResult run = start(L"properties app.title user.name");
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(file(L"out.log"),
              "app.title: " + units(title) + "\r\nuser.name: " + units(L"\u0141ukasz") + "\r\n");
}

TEST_F(RealJava, ExitCodeIsSystemExitsOrZeroWhenMainReturns) {
    ASSERT_TRUE(configure(L"Output File=out.log\n"));
    RunResult run = start(L"exit 42");
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_EQ(run.exitCode, 42u) << describeRun(run);
    EXPECT_TRUE(contains(file(L"out.log"), "exiting with 42")) << file(L"out.log");

    run = start(L"args");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
}

TEST_F(RealJava, ExceptionFromMainLandsInTheErrorFileAndEndsWithOne) {
    ASSERT_TRUE(configure(L"Failure Check=no\nOutput File=out.log\nError File=logs\\err.log\n"));
    RunResult run = start(L"throw");
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    // As with the java command: a script must not see success.
    EXPECT_EQ(run.exitCode, 1u) << describeRun(run);
    EXPECT_TRUE(contains(file(L"out.log"), "about to throw")) << file(L"out.log");
    std::string error = file(L"logs\\err.log");
    EXPECT_TRUE(contains(error, "IllegalStateException")) << error;
    EXPECT_TRUE(contains(error, "thrown by RealApp")) << error;

    // One that cannot print itself is written by the launcher.
    run = start(L"unprintable");
    EXPECT_EQ(run.exitCode, 1u) << describeRun(run);
    error = file(L"logs\\err.log");
    EXPECT_TRUE(contains(error, "realapp.RealApp$Unprintable: Zustand ")) << error;
    EXPECT_TRUE(contains(error, "[printStackTrace threw java.lang.UnsupportedOperationException: no text]")) << error;
}

TEST_F(RealJava, OutputAndErrorFilesAppendOrStartAfresh) {
    ASSERT_TRUE(writeFileBytes(app.appPath() + L"\\out.log", "earlier\r\n"));
    ASSERT_TRUE(writeFileBytes(app.appPath() + L"\\err.log", "earlier\r\n"));
    ASSERT_TRUE(configure(L"Output File=out.log\nOutput Append=yes\nError File=err.log\n"));
    RunResult run = start(L"print");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(file(L"out.log"), "earlier\r\nout line\r\n");
    EXPECT_EQ(file(L"err.log"), "err line\r\n");

    // Both streams into one file, named alike or not: neither overwrites the other.
    ASSERT_TRUE(configure(L"Output File=both.log\nError File=.\\BOTH.log\n"));
    run = start(L"print");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(file(L"both.log"), "out line\r\nerr line\r\n");
}

TEST_F(RealJava, NonDaemonThreadKeepsTheProcessUntilItEnds) {
    ASSERT_TRUE(configure(L"Output File=out.log\n"));
    const ULONGLONG started = GetTickCount64();
    RunResult run = start(L"thread");
    const ULONGLONG took = GetTickCount64() - started;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(file(L"out.log"), "main returns\r\nlate line\r\n");
    EXPECT_GE(took, 1500u);
}

TEST_F(RealJava, ClassWithoutMainEndsTheStartInsteadOfHanging) {
    ASSERT_TRUE(configure(L"", L"realapp.NoMain"));
    RunResult run = start(L"");
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_EQ(run.dialogs[0].text, L"Keine Main class in der angegebenen Klasse gefunden.\n");
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
}

TEST_F(RealJava, WindowedApplicationServesLaterStartsAfterMainHasReturned) {
    ASSERT_TRUE(configure(L"Output File=out.log\nSingle Instance=yes\n"));
    auto first = std::async(std::launch::async, [this] { return start(L"window"); });
    for (int i = 0; i < 400 && !contains(file(L"out.log"), "window up"); ++i) Sleep(50);
    ASSERT_TRUE(contains(file(L"out.log"), "window up")) << "the first instance's main did not run";
    Sleep(500);  // main has returned; the launcher waits for the window's thread
    for (const wchar_t* document : {L"eins.txt", L"zwei.txt"}) {
        RunResult later = start(document);
        EXPECT_EQ(later.exitCode, 7u) << describeRun(later);
    }
    RunResult firstRun = first.get();
    EXPECT_EQ(firstRun.exitCode, 0u) << describeRun(firstRun);
    const std::string out = file(L"out.log");
    EXPECT_TRUE(contains(out, "secondary 1: " + units(L"eins.txt") + "|\r\n")) << out;
    EXPECT_TRUE(contains(out, "secondary 1: " + units(L"zwei.txt") + "|\r\n")) << out;
    EXPECT_TRUE(contains(out, "window closed after 2\r\n")) << out;
}

TEST_F(RealJava, LaterStartIsServedByARealSecondaryMainOnAJavaThread) {
    ASSERT_TRUE(configure(L"Output File=out.log\nSingle Instance=yes\n"));
    auto first = std::async(std::launch::async, [this] { return start(L"serve"); });
    for (int i = 0; i < 400 && !contains(file(L"out.log"), "serving"); ++i) Sleep(50);
    ASSERT_TRUE(contains(file(L"out.log"), "serving")) << "the first instance's main did not start";
    RunResult later = start(L"x \"y \u00e4\"");
    EXPECT_EQ(later.exitCode, 7u) << describeRun(later);
    EXPECT_TRUE(later.dialogs.empty()) << describeRun(later);
    // The first instance's main saw the call and ended; the worker thread
    // left the VM, so the process did not wait for it.
    RunResult firstRun = first.get();
    EXPECT_FALSE(firstRun.timedOut) << describeRun(firstRun);
    EXPECT_EQ(firstRun.exitCode, 0u) << describeRun(firstRun);
    const std::string out = file(L"out.log");
    EXPECT_TRUE(contains(out, "secondary 2: " + units(L"x") + "| " + units(L"y \u00e4") + "|\r\n")) << out;
    EXPECT_TRUE(contains(out, "served 1\r\n")) << out;
}
