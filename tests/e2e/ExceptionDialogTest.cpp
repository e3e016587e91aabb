// The dialog that shows an exception escaping main when "Failure Check" is
// on, driven through its controls: on the stand-in runtime, and on the real
// VM for a trace as a real VM prints it.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "testjvm/TestJvm.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using testjvm::recordValue;

namespace {

const DWORD kLauncherFailed = 0xFFFFFFFF;
const int kTraceEdit = 208;

// What the test saw of the dialog before pressing its answer.
struct Seen {
    bool shown = false;
    std::wstring caption;
    std::wstring trace;
    bool readOnly = false;
};


// Reads the exception dialog and presses button.
DialogAnswer answerWith(int button, Seen& seen) {
    return [button, &seen](HWND dialog, const SeenDialog& shown) {
        HWND edit = GetDlgItem(dialog, kTraceEdit);
        if (edit == nullptr) return pressOkOrCancel(dialog, shown);
        seen.shown = true;
        seen.caption = shown.caption;
        seen.trace = windowText(edit);
        seen.readOnly = (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0;
        return button;
    };
}

RECT rectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

class ExceptionDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::client)) << "the stand-in is not built";
        ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                                 L"\n[Class Path]\nClass Path=C:\\a.jar\n[Application]\nFailure Check=YES\n"));
        ASSERT_TRUE(files.writeScenario(L"Main=throw\n"));
    }

    RunResult start(DialogAnswer answer) {
        RunOptions options;
        options.appData = app.appDataPath();
        options.environment = files.environment();
        options.answer = std::move(answer);
        RunResult run = runProgram(app.exePath(), options);
        record = files.readRecord();
        return run;
    }

    AppFolder app;
    std::wstring home = app.root() + L"\\Runtime";
    StandInFiles files{app.root()};
    std::vector<testjvm::RecordEntry> record;
};

}  // namespace

TEST_F(ExceptionDialog, ShowsTheTraceReadOnlyAndIgnoreGoesOn) {
    Seen seen;
    RunResult run = start(answerWith(IDOK, seen));
    ASSERT_TRUE(seen.shown) << describeRun(run);
    EXPECT_EQ(seen.caption, L"Java Fehler");
    EXPECT_EQ(seen.trace, L"java.lang.IllegalStateException: Fehler \u00e4\u00f6\u00fc\r\n"
                          L"\tat com.example.App.main(App.java:5)\r\n");
    EXPECT_TRUE(seen.readOnly);
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_FALSE(recordValue(record, "systemExit"));
    EXPECT_FALSE(recordValue(record, "pendingExceptionAt"));
}

TEST_F(ExceptionDialog, ControlCharactersOfTheMessageStayVisible) {
    ASSERT_TRUE(files.writeScenario(L"Main=throw\nThrowText=java.lang.IllegalStateException: vor\\u0000nach\\u001b[1m"
                                    L"\\r\\n\\tat com.example.App.main(App.java:5)\\r\\n\n"));
    Seen seen;
    RunResult run = start(answerWith(IDOK, seen));
    ASSERT_TRUE(seen.shown) << describeRun(run);
    EXPECT_EQ(seen.trace, L"java.lang.IllegalStateException: vor\\u0000nach\\u001b[1m\r\n"
                          L"\tat com.example.App.main(App.java:5)\r\n");
}

TEST_F(ExceptionDialog, StopEndsTheApplicationWithMinusOne) {
    Seen seen;
    RunResult run = start(answerWith(IDCANCEL, seen));
    ASSERT_TRUE(seen.shown) << describeRun(run);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_EQ(recordValue(record, "systemExit").value_or(""), "-1");
}

TEST_F(ExceptionDialog, GrowsWithItsControlsButNotBelowItsFirstSize) {
    RECT first{}, grown{}, shrunk{}, okBefore{}, okAfter{}, traceBefore{}, traceAfter{};
    bool gripAtFirst = false, gripMaximised = true, gripRestored = false;
    RunResult run = start([&](HWND dialog, const SeenDialog& shown) {
        HWND ok = GetDlgItem(dialog, IDOK);
        HWND trace = GetDlgItem(dialog, kTraceEdit);
        if (trace == nullptr) return pressOkOrCancel(dialog, shown);
        first = rectOf(dialog);
        okBefore = rectOf(ok);
        traceBefore = rectOf(trace);
        SetWindowPos(dialog, nullptr, 0, 0, first.right - first.left + 200, first.bottom - first.top + 100,
                     SWP_NOMOVE | SWP_NOZORDER);
        grown = rectOf(dialog);
        okAfter = rectOf(ok);
        traceAfter = rectOf(trace);
        SetWindowPos(dialog, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
        shrunk = rectOf(dialog);
        HWND grip = GetDlgItem(dialog, 59393);
        gripAtFirst = grip != nullptr && IsWindowVisible(grip);
        ShowWindow(dialog, SW_MAXIMIZE);
        gripMaximised = IsWindowVisible(grip) != FALSE;
        ShowWindow(dialog, SW_RESTORE);
        gripRestored = IsWindowVisible(grip) != FALSE;
        return IDOK;
    });
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    ASSERT_EQ(grown.right - grown.left, first.right - first.left + 200);
    // The buttons keep their place in the bottom-right corner; the trace widens.
    EXPECT_EQ(okAfter.left - okBefore.left, 200);
    EXPECT_EQ(okAfter.top - okBefore.top, 100);
    EXPECT_EQ(okAfter.right - okAfter.left, okBefore.right - okBefore.left);
    EXPECT_EQ((traceAfter.right - traceAfter.left) - (traceBefore.right - traceBefore.left), 200);
    EXPECT_EQ((traceAfter.bottom - traceAfter.top) - (traceBefore.bottom - traceBefore.top), 100);
    EXPECT_GE(shrunk.right - shrunk.left, first.right - first.left);
    EXPECT_GE(shrunk.bottom - shrunk.top, first.bottom - first.top);
    // The size grip is there, but not while the dialog is maximised.
    EXPECT_TRUE(gripAtFirst);
    EXPECT_FALSE(gripMaximised);
    EXPECT_TRUE(gripRestored);
}

// The real VM with RealApp doing what the arguments say; the dialog is read
// into seen and answered with button.
RunResult startRealApp(AppFolder& app, const std::wstring& arguments, int button, Seen& seen) {
    if (!app.valid() || !layOutRealJava(app.appPath()) ||
        !app.writeIni(L"[Java Runtime Environment]\nMain Class=realapp.RealApp\n[Class Path]\n"
                      L"Class Path=\\lib\\*.jar\n[Application]\nFailure Check=Yes\nError File=err.log\n"))
        return RunResult{};
    RunOptions options;
    options.arguments = arguments;
    options.appData = app.appDataPath();
    options.timeoutMs = 60000;
    options.answer = answerWith(button, seen);
    return runProgram(app.exePath(), options);
}

TEST(ExceptionDialogOnARealVm, ShowsTheRealTrace) {
    AppFolder app;
    Seen seen;
    RunResult run = startRealApp(app, L"throw", IDOK, seen);
    ASSERT_TRUE(seen.shown) << describeRun(run);
    EXPECT_EQ(seen.trace.find(L"IllegalStateException: thrown by RealApp"), seen.trace.find(L"IllegalStateException"));
    EXPECT_NE(seen.trace.find(L"thrown by RealApp: Gr\u00f6\u00dfe \u00e4\u00f6\u00fc"), std::wstring::npos)
        << toUtf8(seen.trace);
    EXPECT_NE(seen.trace.find(L"realapp.RealApp.main"), std::wstring::npos) << toUtf8(seen.trace);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
}

TEST(ExceptionDialogOnARealVm, ExceptionsThatCannotPrintThemselvesAreShownAndStopGivesMinusOne) {
    for (const wchar_t* action : {L"unprintable", L"cycle"}) {
        AppFolder app;
        Seen seen;
        RunResult run = startRealApp(app, action, IDCANCEL, seen);
        ASSERT_TRUE(seen.shown) << describeRun(run);
        EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
        if (std::wstring(action) == L"unprintable") {
            EXPECT_EQ(seen.trace.rfind(L"realapp.RealApp$Unprintable: Zustand \u00e4\r\n", 0), 0u) << toUtf8(seen.trace);
            EXPECT_NE(seen.trace.find(L"[printStackTrace threw java.lang.UnsupportedOperationException: no text]"),
                      std::wstring::npos)
                << toUtf8(seen.trace);
        } else {
            // Printed once, whether the runtime itself stops at the cycle or the launcher does.
            const std::wstring circle = L"[CIRCULAR REFERENCE: realapp.RealApp$Cycle: im Kreis]";
            const size_t at = seen.trace.find(circle);
            EXPECT_EQ(seen.trace.rfind(L"realapp.RealApp$Cycle: im Kreis\r\n", 0), 0u) << toUtf8(seen.trace);
            ASSERT_NE(at, std::wstring::npos) << toUtf8(seen.trace);
            EXPECT_EQ(seen.trace.find(L"im Kreis", at + circle.size()), std::wstring::npos) << toUtf8(seen.trace);
        }
    }
}
