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

std::string toAnsi(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int inLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<std::size_t>(length), '\0');
    if (WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), inLength, &narrow[0], length, nullptr,
                            nullptr) != length) {
        return std::string();
    }
    return narrow;
}
