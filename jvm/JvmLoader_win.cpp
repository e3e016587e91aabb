#include "launcher/ErrorReport_win.h"
#include "launcher/Launcher_win.h"
#include "resources/resource.h"
#include "util/ProcAddress_win.h"

#include <windows.h>

bool Launcher::loadJvmLibrary() {
    // jvm.dll stays loaded for the life of the process: the VM is never
    // unloaded, and a failed start ends the process anyway.
    HMODULE jvm = LoadLibraryW(jvmPath.c_str());
    if (jvm == nullptr) {
        DWORD error = GetLastError();
        showWindowsError(messageOwner, loadText(IDS_CANNOT_LOAD_JVM), jvmPath, error);
        return false;
    }
    createJavaVMEntry = procAddress<CreateJavaVmFunction>(jvm, "JNI_CreateJavaVM");
    if (createJavaVMEntry == nullptr) {
        DWORD error = GetLastError();
        showWindowsError(messageOwner, loadText(IDS_WINDOWS_ERROR), loadText(IDS_NO_CREATE_JAVA_VM),
                         error);
        return false;
    }
    getDefaultInitArgsEntry =
        procAddress<GetDefaultJavaVmInitArgsFunction>(jvm, "JNI_GetDefaultJavaVMInitArgs");
    if (getDefaultInitArgsEntry == nullptr) {
        DWORD error = GetLastError();
        showWindowsError(messageOwner, loadText(IDS_WINDOWS_ERROR), loadText(IDS_NO_CREATE_JAVA_VM),
                         error);
        return false;
    }
    // Runtimes without it still start the application, through FindClass.
    findClassFromBootLoaderEntry =
        procAddress<FindClassFromBootLoaderFunction>(jvm, "JVM_FindClassFromBootLoader");
    return true;
}
