// The launcher's own splash window, watched from outside while the stand-in
// runtime's main runs: its class, styles and place, and when it goes.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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
        options.environment.insert(options.environment.end(), environment.begin(), environment.end());
        options.answer = std::move(answer);
        options.timeoutMs = timeoutMs;
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
    DWORD timeoutMs = 30000;
    std::vector<std::pair<std::wstring, std::wstring>> environment;
};

// A picture that takes a while to decode and render, yet is small on disk: a
// bitmap of side by side pixels in one colour, run-length encoded (under Wine
// on two cores, 6000 pixels show after 0.6 s, 11000 after 1.8 s).
bool writeSlowPicture(const std::wstring& path, std::uint32_t side = 6000) {
    std::string line;
    for (std::uint32_t x = 0; x < side; x += 250) line += "\xfa\x01";  // 250 pixels of colour 1
    line += std::string(2, '\0');                                     // end of line
    std::string rows;
    for (std::uint32_t y = 0; y < side; ++y) rows += line;
    rows += std::string("\0\x01", 2);  // end of bitmap
    std::string file = "BM";
    auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file += static_cast<char>(value >> (8 * i));
    };
    const std::uint32_t headers = 14 + 40 + 8, size = static_cast<std::uint32_t>(rows.size());
    // File header; info header (8 bits, BI_RLE8, two colours); the colours.
    for (const std::uint32_t field : {headers + size, 0u, headers, 40u, side, side}) put(field, 4);
    put(1, 2);
    put(8, 2);
    for (const std::uint32_t field : {1u, size, 0u, 0u, 2u, 0u, 0u, 0x3060A0u}) put(field, 4);
    return writeFileBytes(path, file + rows);
}

// Suspends the second thread that the next start of exe makes for ms: the
// splash thread, which a slow picture would keep as long. False when none
// came within 10 s.
bool holdSecondThread(const std::wstring& exe, DWORD ms) {
    const std::wstring exeName = exe.substr(exe.find_last_of(L'\\') + 1);
    for (DWORD waited = 0; waited < 10000; waited += 5, Sleep(5)) {
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0));
        PROCESSENTRY32W process = {};
        process.dwSize = sizeof process;
        DWORD pid = 0;
        for (BOOL more = Process32FirstW(snapshot.get(), &process); more;
             more = Process32NextW(snapshot.get(), &process))
            if (_wcsicmp(process.szExeFile, exeName.c_str()) == 0) pid = process.th32ProcessID;
        if (pid == 0) continue;
        // The threads by their creation: the main thread, then the splash.
        std::vector<std::pair<ULONGLONG, DWORD>> threads;
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID != pid) continue;
            UniqueHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
            FILETIME created, exited, kernel, user;
            if (thread && GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
                threads.emplace_back(static_cast<ULONGLONG>(created.dwHighDateTime) << 32 | created.dwLowDateTime,
                                     entry.th32ThreadID);
        }
        if (threads.size() < 2) continue;
        std::sort(threads.begin(), threads.end());
        UniqueHandle splash(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threads[1].second));
        if (!splash || SuspendThread(splash.get()) == static_cast<DWORD>(-1)) return false;
        Sleep(ms);
        ResumeThread(splash.get());
        return true;
    }
    return false;
}

// The milliseconds since the process started of the first trace line with text.
long traceMs(const std::string& trace, const std::string& text) {
    const size_t at = trace.find(text);
    if (at == std::string::npos) return -1;
    const size_t plus = trace.rfind(" +", at);
    return plus == std::string::npos ? -1 : std::atol(trace.c_str() + plus + 2);
}

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

TEST_F(SplashWindow, TheEndNeverWaitsForAPictureNotYetShown) {
    const std::wstring slow = app.root() + L"\\Slow.bmp";
    ASSERT_TRUE(writeSlowPicture(slow));
    ASSERT_TRUE(configure(L"Splash Screen=" + slow + L"\n"));
    ASSERT_TRUE(files.writeScenario(L"Main=return\n"));
    environment = {{L"LAUNCHER_TRACE", app.root() + L"\\trace.txt"}};
    const RunResult run = start();
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    const std::string trace = readFileBytes(app.root() + L"\\trace.txt");
    const long returned = traceMs(trace, "main: returned");
    const long end = traceMs(trace, "exit code 0");
    ASSERT_GE(returned, 0) << trace;
    ASSERT_GE(end, 0) << trace;
    EXPECT_LT(end - returned, 400) << trace;
    EXPECT_FALSE(seen.found);
}

TEST_F(SplashWindow, APictureThatComesAfterAnErrorBoxNeverCoversIt) {
    // The picture comes 7 s late, as from a slow share: its thread (the
    // start's second) is held while it reads; the VM fails meanwhile.
    const std::wstring slow = app.root() + L"\\Slow.bmp";
    ASSERT_TRUE(writeSlowPicture(slow));
    ASSERT_TRUE(configure(L"Splash Screen=" + slow + L"\n"));
    ASSERT_TRUE(files.writeScenario(L"CreateResult=-1\n"));
    std::atomic<bool> held{false};
    std::thread holder([this, &held] { held = holdSecondThread(app.exePath(), 7000); });
    bool splashOverBox = false;
    const RunResult run = start(L"", [&](HWND dialog, const SeenDialog& shown) {
        for (int i = 0; i < 160 && !splashOverBox; ++i, Sleep(50)) {
            HWND splash = FindWindowW(kSplashClass, nullptr);
            splashOverBox = splash != nullptr && IsWindowVisible(splash) && GetWindow(dialog, GW_OWNER) != splash;
        }
        return pressOkOrCancel(dialog, shown);
    });
    holder.join();
    ASSERT_TRUE(held) << "the picture's thread was not found";
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_FALSE(splashOverBox) << "a splash shown after the box, not its owner";
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu) << describeRun(run);
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
