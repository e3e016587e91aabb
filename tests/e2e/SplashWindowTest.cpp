// The launcher's own splash window, watched from outside while the stand-in
// runtime's main runs: its class, styles and place, and when it goes.
#include "support/AppFolder_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

const wchar_t kSplashClass[] = L"SplashScreenWindow";

// What a watcher saw of the first visible splash window.
struct SeenSplash {
    bool found = false;
    DWORD classStyle = 0;
    LONG style = 0;
    LONG exStyle = 0;
    RECT rect{};
};

class SplashWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::client)) << "the stand-in is not built";
        ASSERT_TRUE(CopyFileW((testBinFolder() + L"\\pictures\\splash-400x300.png").c_str(), picture.c_str(), FALSE));
        ASSERT_TRUE(files.writeScenario(L"Main=sleep:1500\n"));
    }

    bool configure(const std::wstring& displayKeys, const std::wstring& classPath = L"C:\\a.jar") const {
        return app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                            L"\n[Class Path]\nClass Path=" + classPath +
                            L"\n[Application]\nFailure Check=YES\n[Display]\n" + displayKeys);
    }

    // One start, watched by a thread that records the splash window as soon
    // as it is visible.
    RunResult start(const std::wstring& arguments = L"", DialogAnswer answer = pressOkOrCancel) {
        seen = SeenSplash();
        std::atomic<bool> done{false};
        std::thread watcher([this, &done] {
            while (!done && !seen.found) {
                HWND window = FindWindowW(kSplashClass, nullptr);
                if (window != nullptr && IsWindowVisible(window)) {
                    seen.classStyle = static_cast<DWORD>(GetClassLongW(window, GCL_STYLE));
                    seen.style = GetWindowLongW(window, GWL_STYLE);
                    seen.exStyle = GetWindowLongW(window, GWL_EXSTYLE);
                    GetWindowRect(window, &seen.rect);
                    seen.found = true;
                }
                Sleep(5);
            }
        });
        RunOptions options;
        options.arguments = arguments;
        options.appData = app.appDataPath();
        options.environment = files.environment();
        options.answer = std::move(answer);
        RunResult run = runProgram(app.exePath(), options);
        done = true;
        watcher.join();
        return run;
    }

    AppFolder app;
    std::wstring home = app.root() + L"\\Runtime";
    std::wstring picture = app.root() + L"\\Splash.png";
    StandInFiles files{app.root()};
    SeenSplash seen;
};

RECT centredOnScreen(int width, int height) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{x, y, x + width, y + height};
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

}  // namespace

TEST_F(SplashWindow, ShowsThePictureCentredAsABorderlessToolWindowWhileMainRuns) {
    for (const wchar_t* shadow : {L"True", L"true"}) {
        ASSERT_TRUE(configure(L"Splash Screen=" + picture + L"\nSplash Screen Shadow=" + shadow + L"\n"));
        // Only the exact switches suppress it.
        RunResult run = start(L"-NOSPLASH");
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
        ASSERT_TRUE(seen.found) << toUtf8(shadow);
        const DWORD expectedStyle = CS_DBLCLKS | CS_SAVEBITS | (shadow == std::wstring(L"true") ? CS_DROPSHADOW : 0);
        EXPECT_EQ(seen.classStyle, expectedStyle) << toUtf8(shadow);
        EXPECT_EQ(seen.style & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME), WS_POPUP);
        EXPECT_EQ(seen.exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW);
        EXPECT_TRUE(seen.rect == centredOnScreen(400, 300)) << describe(seen.rect);
    }
    for (const wchar_t* suppress : {L"-nosplash", L"first /nosplash"}) {
        RunResult run = start(suppress);
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
        EXPECT_FALSE(seen.found) << toUtf8(suppress);
    }
    // A relative path is taken from the working directory, here the exe's folder.
    const std::wstring exeFolder = app.exePath().substr(0, app.exePath().find_last_of(L'\\'));
    ASSERT_TRUE(CopyFileW(picture.c_str(), (exeFolder + L"\\Splash.png").c_str(), FALSE));
    ASSERT_TRUE(configure(L"Splash Screen=Splash.png\n"));
    start();
    EXPECT_TRUE(seen.rect == centredOnScreen(400, 300)) << describe(seen.rect);
}

TEST_F(SplashWindow, UnreadablePictureIsAnEmptyWindowAndTheStartGoesOn) {
    ASSERT_TRUE(configure(L"Splash Screen=" + app.root() + L"\\missing.png\n"));
    RunResult run = start();
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.rect == centredOnScreen(0, 0)) << describe(seen.rect);
}

TEST_F(SplashWindow, ErrorBoxIsOwnedByTheSplashAndItIsGoneBeforeTheExceptionDialog) {
    // No class path: the box comes after jvm.dll has loaded, while the splash shows.
    ASSERT_TRUE(configure(L"Splash Screen=" + picture + L"\n", L""));
    ASSERT_TRUE(files.writeScenario(L"Main=throw\n"));
    HWND boxOwner = nullptr;
    HWND splashAtBox = nullptr;
    bool exceptionDialogSeen = false;
    HWND splashAtExceptionDialog = nullptr;
    RunResult run = start(L"", [&](HWND dialog, const SeenDialog& shown) {
        if (shown.messageBox && !boxOwner) {
            boxOwner = GetWindow(dialog, GW_OWNER);
            splashAtBox = FindWindowW(kSplashClass, nullptr);
        } else if (!shown.messageBox) {
            exceptionDialogSeen = true;
            splashAtExceptionDialog = FindWindowW(kSplashClass, nullptr);
        }
        return pressOkOrCancel(dialog, shown);
    });
    ASSERT_NE(splashAtBox, nullptr) << describeRun(run);
    EXPECT_EQ(boxOwner, splashAtBox);
    ASSERT_TRUE(exceptionDialogSeen) << describeRun(run);
    EXPECT_EQ(splashAtExceptionDialog, nullptr);
}

TEST_F(SplashWindow, AtTwiceTheDpiThePictureKeepsItsApparentSize) {
    // Wine's screen resolution setting, read by each process as it starts.
    HKEY fonts = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_CONFIG, L"Software\\Fonts", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              nullptr, &fonts, nullptr),
              ERROR_SUCCESS);
    DWORD before = 0;
    DWORD size = sizeof before;
    const bool hadValue =
        RegQueryValueExW(fonts, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before), &size) ==
        ERROR_SUCCESS;
    const DWORD dpi = 192;
    ASSERT_EQ(RegSetValueExW(fonts, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi),
              ERROR_SUCCESS);
    ASSERT_TRUE(configure(L"Splash Screen=" + picture + L"\n"));
    RunResult run = start();
    if (hadValue)
        RegSetValueExW(fonts, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), sizeof before);
    else
        RegDeleteValueW(fonts, L"LogPixels");
    RegCloseKey(fonts);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.rect == centredOnScreen(800, 600)) << describe(seen.rect);
}
