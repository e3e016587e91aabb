#pragma once

#include "jvm/MemorySize.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Replaces environment references (%NAME%) in a text.
using TextExpander = std::function<void(std::wstring& text)>;
// One match of a file search.
struct FoundFile {
    std::wstring name;
    bool isDirectory = false;
};
// The files and folders matching a pattern, in the order the file system
// gives them; none when nothing matches.
using DirectoryLister = std::function<std::vector<FoundFile>(const std::wstring& pattern)>;

// The end of the parameter that begins at start: the first space that does
// not lie between double quotes (a doubled quote inside quotes is literal).
size_t findParameterEnd(const std::wstring& text, size_t start);

// Removes the double quotes that group a parameter's text; a doubled quote
// inside a group stays as one literal quote.
void stripQuotePairs(std::wstring& text);

// The space-separated parameters of "Virtual Machine Parameters", in order;
// spaces before the first one (a value that comes only from a "+" section
// starts with one) give no parameter.
std::vector<std::wstring> splitVmParameters(const std::wstring& text);

// Appends one parameter to target, made ready for the VM: quotes stripped, a
// relative memory size made absolute; a "-Xss" parameter also sets
// threadStackSize. A parameter that is empty after its quotes are stripped is
// dropped: the VM refuses an empty option.
void addVmParameter(std::wstring text, const MemoryFigures& memory, std::uint32_t& threadStackSize,
                    std::vector<std::wstring>& target);

// Whether a class path entry is looked up on disk (relative, or holding a
// wildcard) rather than passed on as written (a drive or UNC path).
bool isResolvedOnDisk(const std::wstring& entry);

// Appends what one entry that is resolved on disk contributes to classPath:
// every file matching it, each followed by ";". A relative entry ("\lib\*.jar",
// also "lib\*.jar" or "lib/*.jar") is taken from launcherFolder (without
// trailing backslash). "." and ".." never count, and a wildcard matches files
// only; an entry that names a folder outright is kept.
void expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder,
                          const DirectoryLister& list, std::wstring& classPath);

// The class path text for the entries of the "Class Path" key: each entry
// expanded, relative entries ("\lib\*.jar") resolved against launcherFolder
// (without trailing backslash), wildcards replaced by their matches, every
// entry followed by ";". Entries are trimmed of white space first (a value
// from a "+" section starts with a space). Entries that match nothing, and
// empty entries, contribute nothing. Each entry is expanded once: names found
// on disk are never expanded.
std::wstring composeClassPath(const std::vector<std::wstring>& entries,
                              const std::wstring& launcherFolder, const TextExpander& expand,
                              const DirectoryLister& list);
