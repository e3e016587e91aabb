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

// The front of the library path, before environment references are expanded:
// the configured value, the launcher's folder, the working folder and %Path%,
// each separated by ";".
std::wstring libraryPathHead(const std::wstring& libraryPath, const std::wstring& launcherFolder);

// The new Path before expansion: the configured system path, the old Path and
// the runtime's "bin" folder.
std::wstring processPathTemplate(const std::wstring& systemPath, const std::wstring& jvmPath);
