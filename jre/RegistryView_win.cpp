#include "jre/RegistryView_win.h"

#include "util/Environment_win.h"
#include "util/EnvironmentText.h"
#include "util/UniqueResource_win.h"

namespace {

HKEY hiveKey(RegistryHive hive) {
    return hive == RegistryHive::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

std::vector<std::wstring> RuntimeRegistryView::subkeyNames(RegistryHive hive, const std::wstring& key) {
    std::vector<std::wstring> names;
    UniqueRegKey root;
    if (RegOpenKeyExW(hiveKey(hive), key.c_str(), 0, access_, root.put()) != ERROR_SUCCESS)
        return names;
    // Key names are at most 255 characters.
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(root.get(), index, name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

std::wstring RuntimeRegistryView::stringValue(RegistryHive hive, const std::wstring& key, const wchar_t* name) {
    UniqueRegKey version;
    if (RegOpenKeyExW(hiveKey(hive), key.c_str(), 0, access_, version.put()) !=
        ERROR_SUCCESS)
        return std::wstring();
    // The value is read with its own size and terminated here: a value
    // stored without a final NUL, of another type or of any length never
    // makes us read past the buffer or take garbage for a path.
    std::wstring text;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        LONG status = RegQueryValueExW(version.get(), name, nullptr, &type, nullptr, &bytes);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0)
            return std::wstring();
        text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD capacity = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegQueryValueExW(version.get(), name, nullptr, &type,
                                  reinterpret_cast<BYTE*>(&text[0]), &capacity);
        if (status == ERROR_MORE_DATA) continue;  // grew in between: ask again
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::wstring();
        text.resize(capacity / sizeof(wchar_t));
        size_t end = text.find(L'\0');
        if (end != std::wstring::npos) text.resize(end);
        // An installer may write the home with references such as
        // %ProgramFiles%, which the registry leaves to the reader.
        if (type == REG_EXPAND_SZ) text = expandEnvironmentReferences(text, environmentValue);
        return text;
    }
    return std::wstring();
}

std::wstring releaseFileVersion(const std::wstring& home) {
    UniqueFile file(CreateFileW((home + L"release").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::wstring();
    // The line sits near the top of a small file.
    char text[4096];
    DWORD read = 0;
    if (!ReadFile(file.get(), text, sizeof text, &read, nullptr)) return std::wstring();
    return javaVersionOfRelease(std::string(text, read));
}
