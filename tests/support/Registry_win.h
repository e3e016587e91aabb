#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The two views of HKEY_LOCAL_MACHINE\Software on 64-bit Windows.
enum class RegistryView { bits32, bits64 };

// The view a program of this build reads without asking for another one.
RegistryView ownRegistryView();
// The view this build's programs see only on request.
RegistryView otherRegistryView();

// Runtime version keys written for one test into the registry of the test
// machine (HKEY_LOCAL_MACHINE unless said otherwise), as installers leave them.
// On destruction every key this object created is deleted again, the version
// keys first, then the parents it had to create, as far as they are empty by
// then (keys of other tests running at the same time are left alone).
class RegisteredRuntimes {
public:
    RegisteredRuntimes() = default;
    ~RegisteredRuntimes();
    RegisteredRuntimes(const RegisteredRuntimes&) = delete;
    RegisteredRuntimes& operator=(const RegisteredRuntimes&) = delete;

    // Writes root\version with JavaHome = home as REG_SZ, NUL included.
    // root is a key under HKEY_LOCAL_MACHINE without a trailing backslash,
    // such as "Software\JavaSoft\JRE". False (see error()) when it fails.
    bool add(const std::wstring& root, const std::wstring& version, const std::wstring& home,
             RegistryView view);

    // Writes root\version with a JavaHome value of exactly these bytes and
    // this type.
    bool addRaw(const std::wstring& root, const std::wstring& version, DWORD type,
                const void* data, DWORD size, RegistryView view);

    // Writes key (a path under hive, keys created as needed) with the string
    // value name = text, as the installers of today's OpenJDK builds do.
    bool addString(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                   RegistryView view);

    // What went wrong last; empty when nothing did.
    const std::wstring& error() const { return error_; }

private:
    struct CreatedKey {
        HKEY hive;
        std::wstring path;
        REGSAM view;
    };

    bool createKey(HKEY hive, const std::wstring& path, REGSAM view, HKEY& key);
    bool addValue(HKEY hive, const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
                  DWORD size, RegistryView view);

    std::vector<CreatedKey> created_;
    std::wstring error_;
};
