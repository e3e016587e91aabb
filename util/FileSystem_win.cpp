#include "util/FileSystem_win.h"

#include "util/Paths.h"

#include <algorithm>
#include <utility>
#include <vector>

std::wstring moduleFileName(HMODULE module, DWORD& error, DWORD initialCapacity) {
    // The loader keeps module names as counted strings of at most 32767
    // characters, so a buffer of 32768 always holds the name and its NUL.
    constexpr DWORD kLargestName = 32768;
    DWORD capacity = std::min(std::max<DWORD>(initialCapacity, 1), kLargestName);
    std::wstring name;
    for (;;) {
        name.resize(capacity);
        const DWORD length = GetModuleFileNameW(module, &name[0], capacity);
        if (length == 0) {
            error = GetLastError();
            return std::wstring();
        }
        // A name that does not fit comes back cut, with the buffer's full size
        // as its length.
        if (length < capacity) {
            name.resize(length);
            error = ERROR_SUCCESS;
            return name;
        }
        if (capacity == kLargestName) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return std::wstring();
        }
        capacity = std::min(capacity * 2, kLargestName);
    }
}

std::wstring findFileInFolder(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = joinFolderAndName(folder, name);
    if (path.empty() || !fileExists(path)) return std::wstring();
    return path;
}

bool fileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFind search(FindFirstFileW(path.c_str(), &data));
    return static_cast<bool>(search);
}

bool absolutePathExists(const std::wstring& path) {
    return hasAbsolutePathForm(path) && fileExists(path);
}

bool FileFinder::find(const wchar_t* pattern) {
    search_.reset();
    const std::wstring path = applyLongPathRule(pattern != nullptr ? pattern : L"*.*");
    search_.reset(FindFirstFileW(path.c_str(), &found_));
    if (!search_) return false;
    if (GetFullPathNameW(path.c_str(), 0, nullptr, nullptr) == 0) {
        search_.reset();
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

void createFoldersForFile(const std::wstring& path) {
    if (absolutePathExists(path)) return;
    // A share cannot be created and often cannot even be asked about, so on
    // network paths every failing level is passed over.
    const bool network = hasUncForm(path);
    const std::vector<std::wstring> folders = foldersLeadingToFile(path);
    bool createdBefore = false;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (CreateDirectoryW(folders[i].c_str(), nullptr)) {
            createdBefore = true;
            continue;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || network) {
            createdBefore = false;
            continue;
        }
        // Only a folder this walk created goes again: one that was there
        // already belongs to the user, empty or not.
        if (i > 0 && createdBefore) removeFolder(folders[i - 1]);
        return;
    }
}

std::optional<FileIdentity> fileIdentityOf(const std::wstring& path, bool createMissing) {
    // Opened for its attributes only and shared in every way, so that neither
    // the runtime's streams nor anybody else is kept from the file.
    UniqueFile file(CreateFileW(applyLongPathRule(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                createMissing ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || !GetFileInformationByHandle(file.get(), &information)) return std::nullopt;
    FileIdentity identity;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return identity;
}

bool removeFolder(const std::wstring& path) {
    return RemoveDirectoryW(applyLongPathRule(path).c_str()) != FALSE;
}

std::wstring shortPathOf(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], size);
    if (length == 0 || length >= size) return std::wstring();
    shortPath.resize(length);
    return shortPath;
}
