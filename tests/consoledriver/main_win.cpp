// Runs a console program in a console of its own, as a user at a command
// prompt does, for the end-to-end tests of the console flavour:
//
//   console_driver.exe SCREEN TRIGGER PROGRAM [ARGUMENTS...]
//
// PROGRAM gets this console as its standard streams. When TRIGGER is not
// "-", Ctrl+C is pressed (GenerateConsoleCtrlEvent to every process of the
// console) as soon as the file TRIGGER exists. (Wine generates no Ctrl+Break
// for a whole console.) At the end the console's text
// goes to the file SCREEN as UTF-8, one line per row, and the driver ends
// with PROGRAM's exit code (3 when it did not end within 90 s).
#include <windows.h>

#include <string>

namespace {

BOOL WINAPI stay(DWORD) noexcept {
    return TRUE;
}

// The rest of the command line after count arguments, and those arguments.
std::wstring skipArguments(const wchar_t* line, int count, std::wstring* taken) {
    for (int i = 0; i <= count; ++i) {
        while (*line == L' ' || *line == L'\t') ++line;
        std::wstring argument;
        bool quoted = false;
        for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
            if (*line == L'"') quoted = !quoted;
            else argument += *line;
        }
        if (i > 0) taken[i - 1] = argument;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

void writeScreen(const std::wstring& path) {
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    std::wstring text;
    if (console != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(console, &info)) {
        for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
            std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
            DWORD read = 0;
            ReadConsoleOutputCharacterW(console, &line[0], info.dwSize.X, COORD{0, row}, &read);
            line.resize(read);
            while (!line.empty() && line.back() == L' ') line.pop_back();
            text += line + L"\n";
        }
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                                      nullptr, nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" int wmain(int, wchar_t**) {
    std::wstring taken[3];
    const std::wstring rest = skipArguments(GetCommandLineW(), 3, taken);
    const std::wstring& screen = taken[0];
    const std::wstring& trigger = taken[1];
    const std::wstring& program = taken[2];
    FreeConsole();
    if (!AllocConsole()) return 4;
    // A handler, not the inherited "ignore Ctrl+C" setting: the program must
    // get the event as a user's program does.
    SetConsoleCtrlHandler(stay, TRUE);
    std::wstring commandLine = L"\"" + program + L"\" " + rest;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 5;
    CloseHandle(process.hThread);
    if (trigger != L"-") {
        for (int i = 0; i < 600 && GetFileAttributesW(trigger.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
        }
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    }
    DWORD exitCode = 3;
    if (WaitForSingleObject(process.hProcess, 90000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    } else {
        TerminateProcess(process.hProcess, 3);
    }
    CloseHandle(process.hProcess);
    writeScreen(screen);
    return static_cast<int>(exitCode);
}
