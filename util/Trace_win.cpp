#include "util/Trace_win.h"

#include "util/Environment_win.h"
#include "util/Trace.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <string>

namespace {

// Namespace scope: a function's static would bring thread-safe guards.
UniqueFile traceOutput;

UniqueFile& traceFile() {
    return traceOutput;
}

ULONGLONG fileTimeValue(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Milliseconds since this process was created.
unsigned long millisecondsSinceStart() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG start = fileTimeValue(created);
    const ULONGLONG current = fileTimeValue(now);
    return current > start ? static_cast<unsigned long>((current - start) / 10000) : 0;
}

void writeLine(const std::wstring& line) {
    wchar_t prefix[48];
    wsprintfW(prefix, L"[%lu +%lu ms] ", GetCurrentProcessId(), millisecondsSinceStart());
    const std::wstring text = prefix + line + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    if (bytes <= 0) return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes, nullptr, nullptr);
    // Opened for appending only: each line lands whole at the end, also when
    // several starts trace into the same file.
    DWORD written = 0;
    WriteFile(traceFile().get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void startTrace() {
    const auto path = environmentValue(L"LAUNCHER_TRACE");
    if (!path || path->empty()) return;
    traceFile().reset(CreateFileW(path->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!traceFile()) return;
    setTraceWriter(writeLine);
}
