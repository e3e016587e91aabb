#include "jvm/JvmLibrary_win.h"

#include "util/Paths.h"
#include "util/ProcAddress_win.h"
#include "util/Trace.h"

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#endif

namespace {

using AddDllDirectoryFunction = void*(WINAPI*)(const wchar_t*);
using RemoveDllDirectoryFunction = BOOL(WINAPI*)(void*);

// Loads jvm.dll so that the DLLs it imports come from the runtime itself (the
// library's folder, then the runtime's bin folder, where it ships its C
// runtime), then from System32: never a copy of the same name in the
// application's folder, the current directory or on PATH. Windows before 8
// without its loader update lack the search flags and load as before.
HMODULE loadWithRuntimeDependencies(const std::wstring& path) {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto addDirectory = procAddress<AddDllDirectoryFunction>(kernel, "AddDllDirectory");
    const auto removeDirectory = procAddress<RemoveDllDirectoryFunction>(kernel, "RemoveDllDirectory");
    const std::wstring bin = runtimeBinFolderOf(path);
    void* cookie = addDirectory && removeDirectory && !bin.empty() ? addDirectory(bin.c_str()) : nullptr;
    if (cookie == nullptr) {
        if (tracing()) trace(L"jvm.dll: loaded in the standard search order");
        return LoadLibraryW(path.c_str());
    }
    if (tracing()) trace(L"jvm.dll: its imports from " + bin + L" first");
    HMODULE jvm = LoadLibraryExW(path.c_str(), nullptr,
                                 LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_USER_DIRS |
                                     LOAD_LIBRARY_SEARCH_SYSTEM32);
    DWORD error = GetLastError();
    removeDirectory(cookie);
    // A relative path cannot be searched that way.
    if (jvm == nullptr && error == ERROR_INVALID_PARAMETER) {
        jvm = LoadLibraryW(path.c_str());
        error = GetLastError();
    }
    SetLastError(error);
    return jvm;
}

}  // namespace

bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints, JvmLoadFailure& failure) {
    // Not owned: jvm.dll stays loaded for the life of the process.
    HMODULE jvm = loadWithRuntimeDependencies(path);
    if (jvm == nullptr) {
        failure = {JvmLoadStep::loadLibrary, GetLastError()};
        return false;
    }
    entryPoints.createJavaVm = procAddress<CreateJavaVmFunction>(jvm, "JNI_CreateJavaVM");
    if (entryPoints.createJavaVm == nullptr) {
        failure = {JvmLoadStep::createJavaVm, GetLastError()};
        return false;
    }
    entryPoints.getDefaultInitArgs =
        procAddress<GetDefaultJavaVmInitArgsFunction>(jvm, "JNI_GetDefaultJavaVMInitArgs");
    if (entryPoints.getDefaultInitArgs == nullptr) {
        failure = {JvmLoadStep::defaultInitArgs, GetLastError()};
        return false;
    }
    // Runtimes without it still start the application, through FindClass.
    entryPoints.findClassFromBootLoader =
        procAddress<FindClassFromBootLoaderFunction>(jvm, "JVM_FindClassFromBootLoader");
    return true;
}
