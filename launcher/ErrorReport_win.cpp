#include "launcher/ErrorReport_win.h"

#include "launcher/ConsoleFlavour_win.h"
#include "launcher/ConsoleMessage.h"
#include "launcher/MessageText.h"
#include "util/FileSystem_win.h"
#include "resources/resource.h"

#include <cstdint>

std::wstring loadText(UINT id) {
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself; that text is not NUL-terminated.
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

void showError(HWND owner, const std::wstring& text) {
    // The console flavour tells its caller on standard error; a box only when
    // there is none, so that no message is lost.
    if (isConsoleProgram()) {
        DWORD error = 0;
        if (writeToStandardError(consoleMessage(programNameOf(moduleFileName(nullptr, error)), text))) return;
    }
    MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

void showFormattedError(HWND owner, const std::wstring& format, const std::wstring& argument) {
    showError(owner, formatText(format, {argument}));
}

void showWindowsError(HWND owner, const std::wstring& format, const std::wstring& detail,
                      DWORD error) {
    auto number = static_cast<std::int32_t>(error);
    showError(owner, formatText(format, {detail, std::to_wstring(number)}));
}

std::wstring systemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return std::wstring();
    std::wstring text(buffer, length);
    LocalFree(buffer);
    return text;
}

void showObjectError(HWND owner, const std::wstring& subject, DWORD error) {
    showWindowsError(owner, loadText(IDS_WINDOWS_ERROR), objectErrorDetail(subject, systemErrorText(error)),
                     error);
}
