#include "jvm/RuntimeEnvironment.h"

#include "util/Paths.h"

std::wstring runtimeHomeOf(const std::wstring& jvmPath) {
    return stripPathLevels(jvmPath, 3);
}

std::wstring runtimeBinOf(const std::wstring& jvmPath) {
    return stripPathLevels(jvmPath, 2);
}

std::wstring runtimeLibOf(const std::wstring& jvmPath) {
    return runtimeHomeOf(jvmPath) + L"\\lib";
}

std::wstring withSeparator(std::wstring text) {
    if (!text.empty() && text.back() != L';') text += L';';
    return text;
}

std::wstring composeLibraryPath(const std::wstring& configured, const std::wstring& launcherFolder,
                                const std::wstring& currentPath, const std::wstring& jvmPath) {
    return withSeparator(withSeparator(configured) + launcherFolder + L";.;" + currentPath) +
           runtimeLibOf(jvmPath);
}

std::wstring composeProcessPath(const std::wstring& systemPath, const std::wstring& currentPath,
                                const std::wstring& jvmPath) {
    return withSeparator(systemPath) + currentPath + L";" + runtimeBinOf(jvmPath);
}
