#include "jvm/JvmLibrary_win.h"

#include "util/ProcAddress_win.h"

bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints, JvmLoadFailure& failure) {
    // Not owned: jvm.dll stays loaded for the life of the process.
    HMODULE jvm = LoadLibraryW(path.c_str());
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
