#pragma once

#include <optional>
#include <string>
#include <vector>

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

// name as one folder name: without the characters a file name cannot hold
// ("\ / : * ? \" < > |" and control characters) and without the dots and
// spaces at its end, which Windows drops; a name of dots alone is empty. No
// name can climb out of the folder it is put in.
std::wstring folderNameOf(const std::wstring& name);

// Builds the per-user file's location under appData. Product name and code
// are each one folder name (folderNameOf), never a path; empty names leave
// empty path components and the path is still built.
UserConfigLocation userConfigLocationFor(const std::wstring& executablePath,
                                         const std::wstring& productName,
                                         const std::wstring& productCode,
                                         const std::wstring& appData);

// One file that keeps the runtime folder the user picked, and the folders to
// create before it is written, outer first.
struct RuntimeStoreTarget {
    std::wstring file;
    std::vector<std::wstring> folders;
};

// Where the picked runtime folder is written: a service's configuration file
// (and its pair product's), since a service has no per-user state; otherwise
// the per-user file of the executable (and of its pair product) under
// appData. Nothing per-user when appData is empty.
struct RuntimeStoreRequest {
    std::wstring executablePath;
    std::wstring pairProduct;  // empty: none
    bool isService = false;
    std::wstring productName;
    std::wstring productCode;
    std::wstring appData;
};
std::vector<RuntimeStoreTarget> runtimeStoreTargets(const RuntimeStoreRequest& request);
