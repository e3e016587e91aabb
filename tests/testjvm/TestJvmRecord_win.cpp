#include "testjvm/TestJvm.h"
#include "testjvm/TestJvmRuntime_win.h"

#include <cstdio>

namespace testjvm {

namespace {

// Set once while the DLL is loaded, before any other thread can record.
std::wstring recordPath;
CRITICAL_SECTION recordLock;

// Appends bytes with one write; the file is opened and closed each time so
// that everything written so far survives an abrupt end of the process.
void appendToRecordFile(const std::string& bytes) {
    if (recordPath.empty() || bytes.empty()) return;
    EnterCriticalSection(&recordLock);
    // A reader in the test may hold the file open for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = CreateFileW(recordPath.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
            break;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(10);
    }
    LeaveCriticalSection(&recordLock);
}

}  // namespace

void initializeRecord() {
    InitializeCriticalSection(&recordLock);
    wchar_t buffer[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableW(recordVariable, buffer, MAX_PATH * 4);
    if (length > 0 && length < MAX_PATH * 4) recordPath.assign(buffer, length);
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring fromUtf8(std::string_view text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

Record::~Record() {
    appendToRecordFile(lines);
}

Record& Record::add(std::string_view key, std::string_view utf8Value) {
    lines.append(key);
    lines += '=';
    lines += escapeRecordValue(utf8Value);
    lines += '\n';
    return *this;
}

Record& Record::add(std::string_view key, const std::wstring& value) {
    return add(key, toUtf8(value));
}

Record& Record::add(std::string_view key, long long number) {
    return add(key, std::to_string(number));
}

Record& Record::addHex(std::string_view key, std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(number));
    return add(key, std::string_view(text));
}

void tellStandardError(const std::string& text) {
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    std::string line = "testjvm: " + text + "\n";
    DWORD written = 0;
    WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void fault(const std::string& what) {
    Record().add("fault", what);
    tellStandardError("fault: " + what);
    ExitProcess(faultExitCode);
}

}  // namespace testjvm
