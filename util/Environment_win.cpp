#include "util/Environment_win.h"

#include <windows.h>

std::optional<std::wstring> environmentValue(const std::wstring& name) {
    std::wstring value;
    DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    while (needed > 0) {
        value.assign(needed, L'\0');
        const DWORD length = GetEnvironmentVariableW(name.c_str(), &value[0], needed);
        if (length < needed) {
            value.resize(length);
            return value;
        }
        needed = length;  // grew in between
    }
    // An empty value and a missing variable both answer 0; only the error tells them apart.
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::wstring();
}
