#pragma once

#include <optional>
#include <string>

// The configuration file of an executable: its path with the file name's
// extension replaced by "ini", or with ".ini" appended when the file name has
// none (a "." in a folder name never counts). Empty for an empty path.
std::optional<std::wstring> configFilePathFor(const std::wstring& executablePath);

// Where the per-user configuration file of an executable lies.
struct UserConfigLocation {
    std::wstring productFolder;  // APPDATA\product name
    std::wstring codeFolder;     // productFolder\product code
    std::wstring file;           // codeFolder\executable name.ini
};

// Builds the per-user file's location under appData. The product name loses
// the characters a folder name cannot hold; empty names leave empty path
// components and the path is still built.
UserConfigLocation userConfigLocationFor(const std::wstring& executablePath,
                                         const std::wstring& productName,
                                         const std::wstring& productCode,
                                         const std::wstring& appData);
