// splashscreen.dll for the end-to-end tests (never shipped): records each
// call and its arguments, one line each, in the file TESTSPLASH_RECORD names.
#include <windows.h>

#include <string>

namespace {

void record(const std::string& line) {
    wchar_t path[MAX_PATH * 2];
    if (GetEnvironmentVariableW(L"TESTSPLASH_RECORD", path, MAX_PATH * 2) == 0) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string text(const char* value) {
    return value == nullptr ? std::string("<null>") : std::string(value);
}

}  // namespace

extern "C" {

__declspec(dllexport) void __cdecl SplashInit() {
    record("SplashInit");
}

__declspec(dllexport) int __cdecl SplashLoadFile(const char* file) {
    record("SplashLoadFile=" + text(file));
    return 1;
}

__declspec(dllexport) void __cdecl SplashSetFileJarName(const char* file, const char* jar) {
    record("SplashSetFileJarName=" + text(file) + "|" + text(jar));
}

__declspec(dllexport) void __cdecl SplashClose() {
    record("SplashClose");
}

}  // extern "C"
