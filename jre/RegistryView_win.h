#pragma once

#include "jre/RegistryScan.h"

#include <windows.h>

// One view of HKEY_LOCAL_MACHINE as the registry scan sees it: the process's
// own view, or with view64 the 64-bit one.
class RuntimeRegistryView : public RuntimeRegistry {
public:
    explicit RuntimeRegistryView(bool view64) : access_(KEY_READ | (view64 ? KEY_WOW64_64KEY : 0)) {}

    std::vector<std::wstring> subkeyNames(const std::wstring& key) override;
    std::wstring javaHome(const std::wstring& key) override;

private:
    REGSAM access_;
};
