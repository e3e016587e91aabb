#pragma once

// A real Java VM for the JNI tests. The JVM library is loaded at run time
// (TEST_JVM_LIBRARY), so the same tests run against every installed JDK. The
// VM shared by the tests of a process is created on first use only: death
// tests that create a VM of their own run in a child process that has none.

#include "jvm/JavaVm_jni.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace realjvm {

// The entry points of the JVM library.
inline JvmEntryPoints& entryPoints() {
    static JvmEntryPoints points;
    return points;
}

inline FindClassFromBootLoaderFunction findClassFromBootLoader() {
    return entryPoints().findClassFromBootLoader;
}

// The option that puts the test classes on the class path.
inline std::string classPathOption() {
    std::string option = std::string("-Djava.class.path=") + JAVA_TEST_CLASSES;
#ifdef JAVA_25_TEST_CLASSES
    option += std::string(":") + JAVA_25_TEST_CLASSES;
#endif
    return option;
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* path = std::getenv("TEST_JVM_LIBRARY");
        std::string library = path ? path : "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so";
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        JvmEntryPoints& points = entryPoints();
        points.createJavaVm = reinterpret_cast<CreateJavaVmFunction>(dlsym(handle, "JNI_CreateJavaVM"));
        points.getDefaultInitArgs =
            reinterpret_cast<GetDefaultJavaVmInitArgsFunction>(dlsym(handle, "JNI_GetDefaultJavaVMInitArgs"));
        points.findClassFromBootLoader =
            reinterpret_cast<FindClassFromBootLoaderFunction>(dlsym(handle, "JVM_FindClassFromBootLoader"));
        ASSERT_NE(points.createJavaVm, nullptr);
    }
};

// The VM shared by the tests of this process, created on first use.
inline JavaVM* vm() {
    static JavaVM* instance = [] {
        std::string classPath = classPathOption();
        static char checkJni[] = "-Xcheck:jni";
        JavaVMOption options[] = {{&classPath[0], nullptr}, {checkJni, nullptr}};
        JavaVMInitArgs args = {};
        args.version = JNI_VERSION_1_2;
        args.nOptions = 2;
        args.options = options;
        args.ignoreUnrecognized = JNI_FALSE;
        JavaVM* created = nullptr;
        JNIEnv* env = nullptr;
        EXPECT_EQ(entryPoints().createJavaVm(&created, reinterpret_cast<void**>(&env), &args), JNI_OK);
        // The creating thread is about to end: it leaves the VM first.
        if (created != nullptr) created->DetachCurrentThread();
        return created;
    }();
    return instance;
}

// Runs work on a fresh thread that this harness attaches to the shared VM
// and detaches again afterwards.
inline void onJavaThread(const std::function<void(JNIEnv*)>& work) {
    JavaVM* javaVm = vm();
    ASSERT_NE(javaVm, nullptr);
    std::thread thread([&work, javaVm] {
        JNIEnv* env = nullptr;
        ASSERT_EQ(javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        work(env);
        javaVm->DetachCurrentThread();
    });
    thread.join();
}

// Ends this (child) process with code 3 if it is still running after
// seconds: a death test that hangs fails instead of stalling the suite.
inline void exitIfStillRunningAfter(int seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        _exit(3);
    }).detach();
}

// The running VM's feature version (17, 25), from java.version.
inline int featureVersion() {
    int version = 0;
    onJavaThread([&version](JNIEnv* env) {
        jclass system = env->FindClass("java/lang/System");
        auto text = static_cast<jstring>(env->CallStaticObjectMethod(
            system, env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;"),
            env->NewStringUTF("java.version")));
        const char* utf = env->GetStringUTFChars(text, nullptr);
        version = std::atoi(utf);  // "1.8.0_402" gives 1
        env->ReleaseStringUTFChars(text, utf);
    });
    return version;
}

// The text of a Java string, as UTF-16 units.
inline std::u16string unitsOf(JNIEnv* env, jstring text) {
    const jchar* chars = env->GetStringChars(text, nullptr);
    std::u16string units(reinterpret_cast<const char16_t*>(chars),
                         static_cast<size_t>(env->GetStringLength(text)));
    env->ReleaseStringChars(text, chars);
    return units;
}

}  // namespace realjvm
