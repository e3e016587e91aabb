#pragma once

#include "util/ProcAddress_win.h"

#include <windows.h>

#include <string>

// Where this process looks for DLLs loaded by name. A DLL of the same name as
// a system one, put beside the executable (a Downloads folder) or into the
// current directory, must never be loaded into the launcher.

// Restricts the search to System32, for everything the launcher loads
// itself and everything those DLLs load in turn. Called at entry, before
// anything else loads. Windows 7 without its loader update keeps its order.
void restrictDllSearchToSystem32();

// Opens the search for the Java application's native libraries, which find
// what they depend on as under java.exe: the application's folder, System32
// and each folder of pathList (the Path the application is given).
void openDllSearchForJava(const std::wstring& pathList);

// A DLL of System32 by name (kernel32's own search flags, or the restricted
// search); loaded on first use, kept for the life of the process. Null when
// it cannot be loaded.
HMODULE systemLibrary(const wchar_t* name);

// A function of a System32 DLL, loaded when it is first needed: the start
// imports only what every start uses.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
    const HMODULE module = systemLibrary(library);
    return module != nullptr ? procAddress<Function>(module, name) : nullptr;
}
