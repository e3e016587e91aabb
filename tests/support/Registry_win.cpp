#include "support/Registry_win.h"

#include "util/UniqueResource_win.h"

namespace {

REGSAM viewFlag(RegistryView view) {
    return view == RegistryView::bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

}  // namespace

RegistryView ownRegistryView() {
    return sizeof(void*) == 8 ? RegistryView::bits64 : RegistryView::bits32;
}

RegistryView otherRegistryView() {
    return sizeof(void*) == 8 ? RegistryView::bits32 : RegistryView::bits64;
}

RegisteredRuntimes::~RegisteredRuntimes() {
    // Children were created after their parents; a key that still has
    // subkeys (another test's) is not deleted.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        RegDeleteKeyExW(it->hive, it->path.c_str(), it->view, 0);
}

bool RegisteredRuntimes::createKey(HKEY hive, const std::wstring& path, REGSAM view, HKEY& key) {
    // One level at a time, to know which keys are ours to delete later.
    size_t end = 0;
    for (;;) {
        end = path.find(L'\\', end + 1);
        std::wstring level = path.substr(0, end);
        UniqueRegKey opened;
        DWORD disposition = 0;
        LONG status = RegCreateKeyExW(hive, level.c_str(), 0, nullptr, 0,
                                      KEY_WRITE | view, nullptr, opened.put(), &disposition);
        if (status != ERROR_SUCCESS) {
            error_ = L"RegCreateKeyExW " + level + L" failed with " + std::to_wstring(status);
            return false;
        }
        if (disposition == REG_CREATED_NEW_KEY) created_.push_back({hive, level, view});
        if (end == std::wstring::npos) {
            key = opened.release();
            return true;
        }
    }
}

bool RegisteredRuntimes::add(const std::wstring& root, const std::wstring& version,
                             const std::wstring& home, RegistryView view) {
    return addRaw(root, version, REG_SZ, home.c_str(),
                  static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)), view);
}

bool RegisteredRuntimes::addRaw(const std::wstring& root, const std::wstring& version,
                                DWORD type, const void* data, DWORD size, RegistryView view) {
    return addValue(HKEY_LOCAL_MACHINE, root + L"\\" + version, L"JavaHome", type, data, size, view);
}

bool RegisteredRuntimes::addString(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                                   RegistryView view) {
    return addValue(hive, key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                    view);
}

bool RegisteredRuntimes::addValue(HKEY hive, const std::wstring& path, const wchar_t* name, DWORD type,
                                  const void* data, DWORD size, RegistryView view) {
    HKEY raw = nullptr;
    if (!createKey(hive, path, viewFlag(view), raw)) return false;
    UniqueRegKey key(raw);
    LONG status = RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size);
    if (status != ERROR_SUCCESS) {
        error_ = L"RegSetValueExW " + std::wstring(name) + L" failed with " + std::to_wstring(status);
        return false;
    }
    return true;
}
