#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Text rules of the launcher's path operations. Paths use "\" as separator;
// "/" counts as one only where a function says so. Letter case is kept.

// Windows' MAX_PATH: paths of this length or longer need the long-path prefix.
constexpr std::size_t kMaxPathLength = 260;

// The path without its last count components: each pass cuts at the last "\"
// (the backslash goes too); a pass that finds no "\" changes nothing.
std::wstring stripPathLevels(std::wstring path, int count);

// folder + "\" + name, without doubling a trailing "\" or "/" of the folder;
// empty when the folder is empty.
std::wstring joinFolderAndName(const std::wstring& folder, const std::wstring& name);

// A path of kMaxPathLength or more characters that does not begin with "\\?\"
// gets that prefix; anything else is returned unchanged. The path is not made
// absolute, and a UNC path keeps its form (no "\\?\UNC\").
std::wstring applyLongPathRule(const std::wstring& path);

// True for text that looks absolute: at least 2 characters, beginning with
// "\\" or with ":" as the second character. Nothing is looked up.
bool hasAbsolutePathForm(const std::wstring& path);

// True for a path that names its place without the working directory or a
// drive's current folder: "C:\..." or "C:/..." (any letter), or beginning
// with two separators ("\\server\share", "\\?\C:\..."). "C:dir", "\dir" and
// "dir" are not. Nothing is looked up.
bool isFullyQualifiedPath(const std::wstring& path);

// True for a network path as the shell's PathIsUNCW sees it on current
// Windows: "\\server...", and "\\?\UNC\..." but no other "\\?\" path.
bool hasUncForm(const std::wstring& path);

// A file path cut into the root that folder creation starts from and the
// components below it (the last component is the file name).
struct RootAndComponents {
    // "C:", "\\server", "\\?\C:", "\\?\UNC\server", the first folder of a
    // relative path, or empty for "\dir\file" and for an empty path.
    std::wstring root;
    // Never empty strings: repeated and trailing separators give no component.
    std::vector<std::wstring> components;
};

// Splits path: a "\\?\UNC\" or "\\?\" prefix is set aside; the root is the
// prefix plus the text before the first "\" of the remainder, searched from
// position 2 when the remainder itself has UNC form (so that "\\server" stays
// whole), from the start otherwise. Without such a "\" the remainder is all root.
RootAndComponents splitRootAndComponents(const std::wstring& path);

// The folders that must exist before the file at path can be created, outer
// first: root\c1, root\c1\c2, ... without the file name and without the root.
std::vector<std::wstring> foldersLeadingToFile(const std::wstring& path);

// The folder of a file path with its trailing "\" (the text up to and
// including the last "\"); empty when the path has none.
std::wstring folderOf(const std::wstring& path);

// The runtime's bin folder for the VM library at jvmPath, without a trailing
// backslash: the folder above the library's when that is named "bin" (as in
// bin\server\jvm.dll), else the library's own folder. Empty when the path
// has no folder.
std::wstring runtimeBinFolderOf(const std::wstring& jvmPath);

// The folder to make current for an executable at path: its folder without
// the trailing "\", except for a drive root, which keeps it ("E:\", since
// "E:" alone names the drive's current folder). Empty when the path has no
// folder.
std::wstring workingFolderOf(const std::wstring& path);

// path made absolute against workingFolder: a drive or UNC path stays as it
// is, a path rooted with a single "\" takes the working folder's drive, and
// any other path is joined to the working folder.
std::wstring absolutePathFrom(const std::wstring& path, const std::wstring& workingFolder);

// True when two paths name the same file as far as their text tells: equal
// ignoring ASCII letter case, with "/" read as "\".
bool isSamePath(const std::wstring& a, const std::wstring& b);

// A file as the file system knows it, whatever name it was opened by (a
// relative or short name, any letter case): its volume's serial number and its
// index on that volume.
struct FileIdentity {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.volume == b.volume && a.index == b.index;
}
