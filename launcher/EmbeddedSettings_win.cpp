#include "launcher/EmbeddedSettings.h"

#include "resources/resource.h"

#include <windows.h>

std::wstring embeddedBaseSettings(const std::wstring& upgradeCode) {
    // Resources of the executable stay mapped for the life of the process:
    // nothing to release.
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(IDR_EMBEDDED_SETTINGS), RT_RCDATA);
    if (found == nullptr) return std::wstring();
    HGLOBAL loaded = LoadResource(self, found);
    const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
    if (bytes == nullptr) return std::wstring();
    return selectEmbeddedSettings(static_cast<const unsigned char*>(bytes), SizeofResource(self, found), upgradeCode);
}
