#pragma once

#include <string>

// The runtime's home: the VM library's path without its last three
// components (C:\rt\bin\server\jvm.dll gives C:\rt).
std::wstring runtimeHomeOf(const std::wstring& jvmPath);

// The runtime's "bin" folder, without trailing backslash.
std::wstring runtimeBinOf(const std::wstring& jvmPath);

// The runtime's "lib" folder (C:\rt\bin\server\jvm.dll gives C:\rt\lib).
std::wstring runtimeLibOf(const std::wstring& jvmPath);

// text with ";" appended unless it is empty or already ends with one.
std::wstring withSeparator(std::wstring text);

// The library path: the configured value (already expanded), the launcher's
// folder (with its "\"), the working folder ".", the current Path and the
// runtime's "lib" folder, each separated by ";". Folder names are taken as
// they are: a "%" in them is part of the name.
std::wstring composeLibraryPath(const std::wstring& configured, const std::wstring& launcherFolder,
                                const std::wstring& currentPath, const std::wstring& jvmPath);

// The new Path: the configured system path (already expanded), the current
// Path and the runtime's "bin" folder.
std::wstring composeProcessPath(const std::wstring& systemPath, const std::wstring& currentPath,
                                const std::wstring& jvmPath);
