#include "support/AppFolder_win.h"

#include "util/UniqueResource_win.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

std::wstring lastErrorText(const wchar_t* what, DWORD error) {
    return std::wstring(what) + L" (error " + std::to_wstring(error) + L")";
}

std::wstring folderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring runningProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Removes path and everything below it. Files of a process that has just
// ended may stay locked for a moment (on Windows a virus scanner often holds
// a fresh exe), so the caller retries.
bool removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    UniqueFind search(FindFirstFileW((path + L"\\*").c_str(), &found));
    bool removed = true;
    if (search) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
                SetFileAttributesW(child.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            }
            bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            if (isFolder) {
                removed = removeTree(child) && removed;
            } else if (!DeleteFileW(child.c_str())) {
                removed = false;
            }
        } while (FindNextFileW(search.get(), &found));
    }
    search.reset();
    return RemoveDirectoryW(path.c_str()) && removed;
}

bool createFolders(const std::wstring& base, const std::wstring& relative) {
    std::wstring path = base;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos) end = relative.size();
        if (end > start) {
            path += L"\\" + relative.substr(start, end - start);
            if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

AppFolder::AppFolder(const std::wstring& exeName) { create(exeName, builtLauncherPath()); }

AppFolder::AppFolder(const std::wstring& exeName, const std::wstring& program) {
    create(exeName, program);
}

AppFolder::~AppFolder() {
    if (root_.empty()) return;
    for (int attempt = 0; attempt < 50 && !removeTree(root_); ++attempt) Sleep(100);
}

void AppFolder::create(const std::wstring& exeName, const std::wstring& program) {
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        error_ = lastErrorText(L"GetTempPathW failed", GetLastError());
        return;
    }
    // Unique across the parallel test processes of one run and the threads of one.
    static std::atomic<unsigned> counter{0};
    std::wstring base = std::wstring(temp) + L"launcher-e2e-" + std::to_wstring(GetCurrentProcessId());
    for (;;) {
        std::wstring candidate = base + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            root_ = candidate;
            break;
        }
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            error_ = lastErrorText(L"cannot create the temp folder", error);
            return;
        }
    }
    appPath_ = root_ + L"\\App";
    appDataPath_ = root_ + L"\\AppData";
    if (!CreateDirectoryW(appPath_.c_str(), nullptr) || !CreateDirectoryW(appDataPath_.c_str(), nullptr)) {
        error_ = lastErrorText(L"cannot create the application folders", GetLastError());
        return;
    }
    exePath_ = appPath_ + L"\\" + exeName;
    if (!CopyFileW(program.c_str(), exePath_.c_str(), TRUE)) {
        error_ = lastErrorText((L"cannot copy " + program).c_str(), GetLastError());
    }
}

std::wstring AppFolder::iniPath() const {
    size_t dot = exePath_.find_last_of(L'.');
    size_t slash = exePath_.find_last_of(L'\\');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return exePath_ + L".ini";
    }
    return exePath_.substr(0, dot + 1) + L"ini";
}

bool AppFolder::writeIni(const std::wstring& text) const { return writeUtf16File(iniPath(), text); }

std::wstring AppFolder::userIniPath(const std::wstring& productFolder,
                                    const std::wstring& productCode) const {
    std::wstring name = iniPath().substr(appPath_.size() + 1);
    return appDataPath_ + L"\\" + productFolder + L"\\" + productCode + L"\\" + name;
}

bool AppFolder::writeUserIni(const std::wstring& productFolder, const std::wstring& productCode,
                             const std::wstring& text) const {
    if (!createFolders(appDataPath_, productFolder + L"\\" + productCode)) return false;
    return writeUtf16File(userIniPath(productFolder, productCode), text);
}

bool AppFolder::writeUtf16File(const std::wstring& path, const std::wstring& text) {
    std::wstring content = L"\xFEFF";
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) content += L'\r';
        content += text[i];
    }
    // wchar_t is UTF-16 on Windows; written as little-endian code units.
    std::vector<unsigned char> bytes;
    bytes.reserve(content.size() * 2);
    for (wchar_t c : content) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring AppFolder::builtLauncherPath() {
    const wchar_t* name = sizeof(void*) == 8 ? L"launcher64.exe" : L"launcher.exe";
    return folderOf(runningProgramPath()) + L"\\" + name;
}
