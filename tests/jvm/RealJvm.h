#pragma once

// One real Java VM shared by the JNI tests of a process. The JVM library is
// loaded at run time (TEST_JVM_LIBRARY), so the same tests run against every
// installed JDK.

#include "jvm/JniTypes.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace realjvm {

inline JavaVM*& vm() {
    static JavaVM* instance = nullptr;
    return instance;
}

inline FindClassFromBootLoaderFunction& findClassFromBootLoader() {
    static FindClassFromBootLoaderFunction function = nullptr;
    return function;
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* path = std::getenv("TEST_JVM_LIBRARY");
        std::string library =
            path ? path : "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so";
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        auto create = reinterpret_cast<CreateJavaVmFunction>(dlsym(handle, "JNI_CreateJavaVM"));
        ASSERT_NE(create, nullptr);
        findClassFromBootLoader() = reinterpret_cast<FindClassFromBootLoaderFunction>(
            dlsym(handle, "JVM_FindClassFromBootLoader"));

        static std::string classPath = std::string("-Djava.class.path=") + JAVA_TEST_CLASSES;
        static char checkJni[] = "-Xcheck:jni";
        JavaVMOption options[] = {{&classPath[0], nullptr}, {checkJni, nullptr}};
        JavaVMInitArgs args = {};
        args.version = JNI_VERSION_1_2;
        args.nOptions = 2;
        args.options = options;
        args.ignoreUnrecognized = JNI_FALSE;
        JNIEnv* env = nullptr;
        ASSERT_EQ(create(&vm(), reinterpret_cast<void**>(&env), &args), JNI_OK);
    }
};

// Runs work on a fresh thread attached to the VM, as the launcher's Java main
// thread is; detaches afterwards unless work did so itself.
inline void onJavaThread(const std::function<void(JNIEnv*)>& work) {
    std::thread thread([&work] {
        JNIEnv* env = nullptr;
        ASSERT_EQ(vm()->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        work(env);
        void* current = nullptr;
        if (vm()->GetEnv(&current, JNI_VERSION_1_2) == JNI_OK) vm()->DetachCurrentThread();
    });
    thread.join();
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
