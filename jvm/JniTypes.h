#pragma once

#include <jni.h>

// The entry points of a runtime's jvm.dll.
using CreateJavaVmFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* args);
using GetDefaultJavaVmInitArgsFunction = jint(JNICALL*)(void* args);
using FindClassFromBootLoaderFunction = jclass(JNICALL*)(JNIEnv* env, const char* name);

// The argument block of the JDK 1.1 invocation interface, still answered by
// JNI_GetDefaultJavaVMInitArgs with the runtime's default Java stack size.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(void* stream, const char* format, void* arguments);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};
