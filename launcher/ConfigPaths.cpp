#include "launcher/ConfigPaths.h"

std::optional<std::wstring> configFilePathFor(const std::wstring& executablePath) {
    if (executablePath.empty()) return std::nullopt;
    const size_t nameStart = executablePath.find_last_of(L"\\/") + 1;
    const size_t dot = executablePath.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart) return executablePath + L".ini";
    return executablePath.substr(0, dot + 1) + L"ini";
}

UserConfigLocation userConfigLocationFor(const std::wstring& executablePath,
                                         const std::wstring& productName,
                                         const std::wstring& productCode,
                                         const std::wstring& appData) {
    size_t slash = executablePath.rfind(L'\\');
    std::wstring name =
        slash == std::wstring::npos ? executablePath : executablePath.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    name += L".ini";

    std::wstring folderName;
    for (wchar_t c : productName) {
        if (std::wstring(L"\\?\"|><:/*").find(c) == std::wstring::npos) folderName += c;
    }

    UserConfigLocation location;
    location.productFolder = appData + L"\\" + folderName;
    location.codeFolder = location.productFolder + L"\\" + productCode;
    location.file = location.codeFolder + L"\\" + name;
    return location;
}
