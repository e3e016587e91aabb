#pragma once

#include "jre/RegistryScan.h"

#include <windows.h>

// One view of the registry as the scan sees it: the process's own view, or
// with view64 the 64-bit one.
class RuntimeRegistryView : public RuntimeRegistry {
public:
    explicit RuntimeRegistryView(bool view64) : access_(KEY_READ | (view64 ? KEY_WOW64_64KEY : 0)) {}

    std::vector<std::wstring> subkeyNames(RegistryHive hive, const std::wstring& key) override;
    std::wstring stringValue(RegistryHive hive, const std::wstring& key, const wchar_t* name) override;

private:
    REGSAM access_;
};

// The JAVA_VERSION of home's release file; empty when it cannot be read.
std::wstring releaseFileVersion(const std::wstring& home);
