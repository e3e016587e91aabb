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

std::wstring libraryPathHead(const std::wstring& libraryPath, const std::wstring& launcherFolder) {
    return withSeparator(libraryPath) + launcherFolder + L";." + L";%Path%";
}

std::wstring processPathTemplate(const std::wstring& systemPath, const std::wstring& jvmPath) {
    return withSeparator(systemPath) + L"%Path%;" + runtimeBinOf(jvmPath);
}
