#include "util/AnsiText_win.h"

#include <windows.h>

#include <climits>
#include <cstring>

std::wstring fromAnsi(const char* text) {
    if (text == nullptr) return std::wstring();
    const std::size_t size = std::strlen(text);
    if (size == 0 || size > INT_MAX) return std::wstring();
    const int inLength = static_cast<int>(size);
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text, inLength, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_THREAD_ACP, 0, text, inLength, &wide[0], length) != length) {
        return std::wstring();
    }
    return wide;
}

namespace {

// No best fit: a character the code page lacks becomes the default character
// and is reported, never silently another one (Ł as L). UTF-8 takes no flags.
DWORD exactFlags() {
    return GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
}

}  // namespace

bool fitsAnsi(const std::wstring& text) {
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    // UTF-8 holds every character and takes no default-character report.
    const DWORD flags = exactFlags();
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_THREAD_ACP, flags, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, flags != 0 ? &usedDefault : nullptr);
    return length > 0 && !usedDefault;
}

std::string toAnsi(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int inLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_THREAD_ACP, exactFlags(), text.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_THREAD_ACP, exactFlags(), text.data(), inLength, &narrow[0], length, nullptr,
                            nullptr) != length) {
        return std::string();
    }
    return narrow;
}
