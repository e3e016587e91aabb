#include "launcher/ConfigPaths.h"

std::optional<std::wstring> configFilePathFor(const std::wstring& executablePath) {
    if (executablePath.empty()) return std::nullopt;
    const size_t nameStart = executablePath.find_last_of(L"\\/") + 1;
    const size_t dot = executablePath.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart) return executablePath + L".ini";
    return executablePath.substr(0, dot + 1) + L"ini";
}

std::wstring folderNameOf(const std::wstring& name) {
    std::wstring folder;
    for (wchar_t c : name) {
        if (c < 32 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) continue;
        folder += c;
    }
    while (!folder.empty() && (folder.back() == L'.' || folder.back() == L' ')) folder.pop_back();
    return folder;
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

    UserConfigLocation location;
    location.productFolder = appData + L"\\" + folderNameOf(productName);
    location.codeFolder = location.productFolder + L"\\" + folderNameOf(productCode);
    location.file = location.codeFolder + L"\\" + name;
    return location;
}

std::vector<RuntimeStoreTarget> runtimeStoreTargets(const RuntimeStoreRequest& request) {
    std::vector<RuntimeStoreTarget> targets;
    const std::wstring* executables[] = {&request.executablePath, &request.pairProduct};
    for (const std::wstring* executable : executables) {
        if (executable->empty()) continue;
        if (request.isService) {
            if (auto config = configFilePathFor(*executable)) targets.push_back({*config, {}});
            continue;
        }
        if (request.appData.empty()) continue;
        const UserConfigLocation location = userConfigLocationFor(
            *executable, request.productName, request.productCode, request.appData);
        targets.push_back({location.file, {location.productFolder, location.codeFolder}});
    }
    return targets;
}
