#include "util/DllSearch_win.h"

#include "util/TextSplit.h"
#include "util/Trace.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif
#ifndef LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000
#endif

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using AddDllDirectoryFunction = void*(WINAPI*)(const wchar_t*);

bool setDefaultDllDirectories(DWORD flags) {
    const auto set =
        procAddress<SetDefaultDllDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    return set != nullptr && set(flags) != FALSE;
}

}  // namespace

void restrictDllSearchToSystem32() {
    // Also takes the current directory out for a Windows without the flags.
    SetDllDirectoryW(L"");
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void openDllSearchForJava(const std::wstring& pathList) {
    const auto add = procAddress<AddDllDirectoryFunction>(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory");
    if (add == nullptr || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) return;
    // Folders that do not exist, or are not absolute, are refused by Windows.
    for (const std::wstring& folder : splitAtSeparator(pathList, L";"))
        if (!folder.empty() && add(folder.c_str()) == nullptr && tracing())
            trace(L"dll search: " + folder + L" left out");
}

HMODULE systemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows 7 without its loader update knows no LOAD_LIBRARY_SEARCH_SYSTEM32.
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(name);
    return module;
}
