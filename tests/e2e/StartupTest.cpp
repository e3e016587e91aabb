// The launcher's start as a user sees it: a copy of the launcher in a fresh
// application folder, started without arguments.
#include "support/AppFolder_win.h"
#include "support/LauncherProcess_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring kNoMainClass = L"Main class in der INI-Datei nicht spezifiziert.";
const DWORD kLauncherFailed = 0xFFFFFFFF;

std::string narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    return result;
}

std::string describe(const RunResult& run) {
    std::string text = "exit code " + std::to_string(run.exitCode) + ", dialogs:";
    for (const SeenDialog& d : run.dialogs) text += " [" + narrow(d.caption) + ": " + narrow(d.text) + "]";
    return text;
}

RunResult start(const AppFolder& app) {
    RunOptions options;
    options.appData = app.appDataPath();
    return runProgram(app.exePath(), options);
}

// One message box with the system's default error caption and text, closed
// with OK, then the launcher ends with -1.
void expectOneErrorBoxThenFailure(const RunResult& run, const std::wstring& text) {
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describe(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describe(run);
    const SeenDialog& box = run.dialogs.front();
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.text, text) << narrow(box.text);
    EXPECT_FALSE(box.caption.empty());
    EXPECT_EQ(box.caption, defaultErrorCaption()) << narrow(box.caption);
    EXPECT_NE(box.pressed, 0);
    EXPECT_EQ(run.exitCode, kLauncherFailed);
}

}  // namespace

TEST(Startup, WithoutConfigurationFileReportsMissingMainClass) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << narrow(app.error());
    expectOneErrorBoxThenFailure(start(app), kNoMainClass);
}

TEST(Startup, EmptyMainClassReportsMissingMainClass) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << narrow(app.error());
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=\n"));
    expectOneErrorBoxThenFailure(start(app), kNoMainClass);
}

TEST(Startup, MainClassGetsPastTheSettings) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << narrow(app.error());
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\n"));
    RunResult run = start(app);
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describe(run);
    for (const SeenDialog& d : run.dialogs) EXPECT_NE(d.text, kNoMainClass) << describe(run);
    // No runtime exists in the test folder, so the start ends at the runtime search.
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describe(run);
}
