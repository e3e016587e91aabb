#pragma once

#include "util/Paths.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <optional>
#include <string>

// The full file name of module (null: the executable), however long it is.
// Empty when the system cannot give it; error then holds the reason.
// initialCapacity is the first buffer size tried, in characters.
std::wstring moduleFileName(HMODULE module, DWORD& error, DWORD initialCapacity = MAX_PATH);

// folder joined with name when that file exists (name may hold wildcards;
// the joined text is returned, not the matched name); otherwise empty.
std::wstring findFileInFolder(const std::wstring& folder, const std::wstring& name);

// True when a file or folder matches path (wildcards allowed; relative paths
// are taken from the current folder).
bool fileExists(const std::wstring& path);

// The short (8.3) form of an existing path; empty when the file system has
// none or the path does not exist.
std::wstring shortPathOf(const std::wstring& path);

// fileExists for paths of absolute form ("X:..." or "\\..."); false for any
// other path, even when it exists relative to the current folder.
bool absolutePathExists(const std::wstring& path);

// A file search that stays open until the next search or destruction.
class FileFinder {
public:
    // Searches for pattern ("*.*" when null); long paths get the "\\?\" prefix.
    // False when nothing matches, with the system's last error kept, or when
    // the pattern has no full path (last error ERROR_INVALID_NAME).
    bool find(const wchar_t* pattern = nullptr);

    // The first match of the last successful search.
    const WIN32_FIND_DATAW& found() const { return found_; }

private:
    UniqueFind search_;
    WIN32_FIND_DATAW found_{};
};

// Creates the folders leading to the file at path (never the file's own name
// and never the root). Silent: on a failure the walk stops, except on network
// paths, where a level that cannot be created (typically the share itself) is
// passed over. After a stop, the level just before is removed again if this
// walk created it and it is empty, unless it was the first one below the root.
void createFoldersForFile(const std::wstring& path);

// The identity of the file at path, which is created empty first when
// createMissing is set and it does not exist; none when it cannot be opened
// (a folder, no access, missing without createMissing).
std::optional<FileIdentity> fileIdentityOf(const std::wstring& path, bool createMissing);

// Removes an empty folder; false when it is not empty or cannot be removed.
bool removeFolder(const std::wstring& path);
