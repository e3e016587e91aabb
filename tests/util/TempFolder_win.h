#pragma once

#include "util/UniqueResource_win.h"

#include <windows.h>

#include <string>

// A fresh folder under the user's temporary folder, removed with everything in
// it (long paths included) when the owner goes.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, base);
        for (unsigned n = GetCurrentProcessId() * 1000u;; ++n) {
            path_ = std::wstring(base, length) + L"util-test-" + std::to_wstring(n);
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
    }
    ~TempFolder() { removeTree(L"\\\\?\\" + path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing "\".
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    static void removeTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data;
        UniqueFind search(FindFirstFileW((folder + L"\\*").c_str(), &data));
        if (search) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring child = folder + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(child);
                } else {
                    DeleteFileW(child.c_str());
                }
            } while (FindNextFileW(search.get(), &data));
        }
        search.reset();
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

// Makes folder the current folder until destroyed.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder) {
        wchar_t previous[MAX_PATH + 1];
        previous_.assign(previous, GetCurrentDirectoryW(MAX_PATH + 1, previous));
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolderScope() { SetCurrentDirectoryW(previous_.c_str()); }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

private:
    std::wstring previous_;
};

// True when path names an existing folder (not a file).
inline bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool pathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes size bytes to a new file at path; false when that fails.
inline bool writeFile(const std::wstring& path, const void* bytes, DWORD size) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
}
