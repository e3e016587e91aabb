// The launcher's start as a user sees it: a copy of the launcher in a fresh
// application folder, started without arguments.
#include "support/TestApp_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kNoMainClass = L"Main class in der INI-Datei nicht spezifiziert.";
RunResult start(const AppFolder& app) {
    RunOptions options;
    options.appData = app.appDataPath();
    return runProgram(app.exePath(), options);
}

// One message box with the system's default error caption and text, closed
// with OK, then the launcher ends with -1.
void expectOneErrorBoxThenFailure(const RunResult& run, const std::wstring& text) {
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    const SeenDialog& box = run.dialogs.front();
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.text, text) << toUtf8(box.text);
    EXPECT_FALSE(box.caption.empty());
    EXPECT_EQ(box.caption, defaultErrorCaption()) << toUtf8(box.caption);
    EXPECT_NE(box.pressed, 0);
    EXPECT_EQ(run.exitCode, kLauncherFailed);
}

}  // namespace

TEST(Startup, WithoutConfigurationFileReportsMissingMainClass) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    expectOneErrorBoxThenFailure(start(app), kNoMainClass);
}

TEST(Startup, EmptyMainClassReportsMissingMainClass) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=\n"));
    expectOneErrorBoxThenFailure(start(app), kNoMainClass);
}

TEST(Startup, MainClassGetsPastTheSettings) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\n"));
    RunResult run = start(app);
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    for (const SeenDialog& d : run.dialogs) EXPECT_NE(d.text, kNoMainClass) << describeRun(run);
    // No runtime exists in the test folder, so the start ends at the runtime search.
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
}
