// A DLL planted beside an executable under a system DLL's name (version.dll,
// uxtheme.dll), as a download folder may hold one. Loaded, it appends its own
// file name to the file that PLANTED_RECORD names, and nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t record[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"PLANTED_RECORD", record, MAX_PATH) == 0) return TRUE;
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, name, MAX_PATH);
    HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, name, length * sizeof(wchar_t), &written, nullptr);
        WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
