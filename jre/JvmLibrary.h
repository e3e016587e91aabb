#pragma once

#include <functional>
#include <optional>
#include <string>

// Tells whether a file exists at exactly this path (no wildcards).
using FileProbe = std::function<bool(const std::wstring& path)>;

// The VM library of a runtime home.
struct JvmLibrary {
    std::wstring path;
    bool isServerVm = false;
};

// Looks for the VM library under home (a folder ending in "\"): with jvmType 1
// only the server VM counts, with 2 the server VM is tried first, otherwise the
// client VMs come first. Empty when none exists.
std::optional<JvmLibrary> findJvmLibrary(const std::wstring& home, int jvmType,
                                         const FileProbe& exists);

// True when home holds "bin\java.dll", the mark of a runtime shipped beside
// the executable.
bool hasJavaLibrary(const std::wstring& home, const FileProbe& exists);

// folder with a "\" appended unless it already ends in one.
std::wstring withTrailingBackslash(std::wstring folder);
