#pragma once

#include "jvm/JavaVm_jni.h"

#include <windows.h>

#include <string>

// Why a runtime's jvm.dll could not be used.
enum class JvmLoadStep {
    none,
    loadLibrary,     // LoadLibraryW failed
    createJavaVm,    // no JNI_CreateJavaVM export
    defaultInitArgs, // no JNI_GetDefaultJavaVMInitArgs export
};

struct JvmLoadFailure {
    JvmLoadStep step = JvmLoadStep::none;
    DWORD error = ERROR_SUCCESS;
};

// Loads jvm.dll from path and finds its entry points (JVM_FindClassFromBootLoader
// may be missing). Reports nothing: on false, failure says which step failed
// with the Windows error. The library stays loaded for the life of the
// process, also after a failure: the VM is never unloaded.
bool loadJvmLibrary(const std::wstring& path, JvmEntryPoints& entryPoints, JvmLoadFailure& failure);
