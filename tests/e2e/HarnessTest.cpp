// Checks the end-to-end driver itself, with this test program standing in for
// the launcher: started with "--stand-in" and a list of actions, it acts them
// out before GoogleTest starts, then ends.
#include "support/AppFolder_win.h"
#include "support/LauncherProcess_win.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring environmentValue(const wchar_t* name) {
    wchar_t buffer[32768] = {};
    DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length == 0 || length >= 32768 ? std::wstring(L"<unset>") : std::wstring(buffer, length);
}

std::wstring currentFolder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

void showBox(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

// Starts this program again with one further action, without waiting for it.
void spawn(const std::wstring& action) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --stand-in \"" + action + L"\"";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(self, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

// Actions: "box:TEXT" shows TEXT in an error box; "appdata" and "cwd" show
// APPDATA and the current folder; "spawn:ACTION" starts another stand-in that
// does ACTION; "hang" never ends; "exit:N" ends with N (0 without it).
struct StandIn {
    StandIn() {
        int count = 0;
        LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
        if (argv == nullptr) return;
        if (count < 2 || std::wstring(argv[1]) != L"--stand-in") {
            LocalFree(argv);
            return;
        }
        for (int i = 2; i < count; ++i) {
            std::wstring action = argv[i];
            if (action.rfind(L"box:", 0) == 0) showBox(action.substr(4));
            if (action == L"appdata") showBox(environmentValue(L"APPDATA"));
            if (action == L"cwd") showBox(currentFolder());
            if (action.rfind(L"spawn:", 0) == 0) spawn(action.substr(6));
            if (action == L"hang") Sleep(INFINITE);
            if (action.rfind(L"exit:", 0) == 0) {
                ExitProcess(static_cast<UINT>(std::wcstol(action.c_str() + 5, nullptr, 10)));
            }
        }
        ExitProcess(0);
    }
} standIn;

std::wstring thisProgram() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

}  // namespace

TEST(E2eHarness, DefaultErrorCaptionIsReadFromARealBox) {
    const std::wstring& caption = defaultErrorCaption();
    EXPECT_FALSE(caption.empty());
    EXPECT_EQ(defaultErrorCaption(), caption);
}

TEST(E2eHarness, RecordsBoxesInOrderPressesOkAndReadsTheFullExitCode) {
    AppFolder app(L"Stand-in.exe", thisProgram());
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.arguments = L"--stand-in box:Erste \"box:Zweite Meldung, mit Ümlaut\nund Zeile\" exit:-1";
    RunResult run = runProgram(app.exePath(), options);
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_EQ(run.dialogs[0].text, L"Erste");
    EXPECT_EQ(run.dialogs[1].text, L"Zweite Meldung, mit Ümlaut\nund Zeile");
    for (const SeenDialog& box : run.dialogs) {
        EXPECT_TRUE(box.messageBox);
        EXPECT_EQ(box.caption, defaultErrorCaption());
        EXPECT_NE(box.pressed, 0);
    }
}

TEST(E2eHarness, ProgramWithoutBoxesGivesItsExitCode) {
    AppFolder app(L"Stand-in.exe", thisProgram());
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.arguments = L"--stand-in exit:7";
    RunResult run = runProgram(app.exePath(), options);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 7u);
    EXPECT_TRUE(run.dialogs.empty());
}

TEST(E2eHarness, ReplacesAppDataAndStartsInTheProgramFolder) {
    AppFolder app(L"Stand-in.exe", thisProgram());
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.arguments = L"--stand-in appdata cwd";
    options.appData = app.appDataPath();
    RunResult run = runProgram(app.exePath(), options);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_EQ(run.dialogs[0].text, app.appDataPath());
    EXPECT_EQ(CompareStringOrdinal(run.dialogs[1].text.c_str(), -1, app.appPath().c_str(), -1, TRUE),
              CSTR_EQUAL)
        << toUtf8(run.dialogs[1].text);
    EXPECT_EQ(run.exitCode, 0u);

    options.environment = {{L"APPDATA", L""}};
    options.appData.clear();
    options.arguments = L"--stand-in appdata";
    run = runProgram(app.exePath(), options);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, L"<unset>");
}

TEST(E2eHarness, WaitsForBoxesOfProgramsStartedByTheProgram) {
    AppFolder app(L"Stand-in.exe", thisProgram());
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.arguments = L"--stand-in spawn:box:Kind exit:3";
    RunResult run = runProgram(app.exePath(), options);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 3u);
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].text, L"Kind");
}

TEST(E2eHarness, EndsAHangingProgramAfterTheTimeOut) {
    AppFolder app(L"Stand-in.exe", thisProgram());
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    RunOptions options;
    options.arguments = L"--stand-in hang";
    options.timeoutMs = 1000;
    ULONGLONG start = GetTickCount64();
    RunResult run = runProgram(app.exePath(), options);
    EXPECT_TRUE(run.timedOut);
    EXPECT_NE(run.exitCode, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_LT(GetTickCount64() - start, 10000u);
}

TEST(E2eHarness, ReportsAProgramThatCannotStart) {
    RunResult run = runProgram(L"C:\\does\\not\\exist\\Sample.exe");
    EXPECT_FALSE(run.started);
    EXPECT_NE(run.startError, 0u);
}

TEST(E2eAppFolder, LaysOutProgramConfigurationAndUserFolder) {
    std::wstring root;
    {
        AppFolder app(L"Stand-in.exe", thisProgram());
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        root = app.root();
        EXPECT_EQ(app.exePath(), app.appPath() + L"\\Stand-in.exe");
        EXPECT_EQ(app.iniPath(), app.appPath() + L"\\Stand-in.ini");
        EXPECT_NE(GetFileAttributesW(app.exePath().c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(GetFileAttributesW(app.appDataPath().c_str()), INVALID_FILE_ATTRIBUTES);

        // The profile API reads the UTF-16 file, umlauts and all.
        ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.Grüße\n"));
        wchar_t value[64] = {};
        GetPrivateProfileStringW(L"Java Runtime Environment", L"Main Class", L"", value, 64,
                                 app.iniPath().c_str());
        EXPECT_STREQ(value, L"com.example.Grüße");

        ASSERT_TRUE(app.writeUserIni(L"My App", L"{1234}",
                                     L"[Java Runtime Environment]\nJRE Path=C:\\jre\n"));
        std::wstring user = app.appDataPath() + L"\\My App\\{1234}\\Stand-in.ini";
        EXPECT_EQ(app.userIniPath(L"My App", L"{1234}"), user);
        GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", value, 64, user.c_str());
        EXPECT_STREQ(value, L"C:\\jre");
    }
    EXPECT_EQ(GetFileAttributesW(root.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(E2eAppFolder, CopiesTheLauncherOfThisBuild) {
    AppFolder app;
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    EXPECT_EQ(app.exePath(), app.appPath() + L"\\Sample.exe");
    std::wstring built = AppFolder::builtLauncherPath();
    EXPECT_NE(built.find(sizeof(void*) == 8 ? L"\\launcher64.exe" : L"\\launcher.exe"), std::wstring::npos);
    WIN32_FILE_ATTRIBUTE_DATA original{}, copy{};
    ASSERT_TRUE(GetFileAttributesExW(built.c_str(), GetFileExInfoStandard, &original));
    ASSERT_TRUE(GetFileAttributesExW(app.exePath().c_str(), GetFileExInfoStandard, &copy));
    EXPECT_EQ(copy.nFileSizeLow, original.nFileSizeLow);
}
