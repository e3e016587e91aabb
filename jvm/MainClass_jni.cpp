#include "jvm/MainClass_jni.h"

#include "resources/resource.h"
#include "util/Utf16.h"

#include <algorithm>

jstring toJavaString(JNIEnv* env, const std::wstring& text) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    if (constructor == nullptr) return nullptr;
    std::u16string units = toUtf16(text);
    jcharArray chars = env->NewCharArray(static_cast<jsize>(units.size()));
    if (chars == nullptr) return nullptr;
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(units.size()),
                            reinterpret_cast<const jchar*>(units.data()));
    jstring result = nullptr;
    if (!env->ExceptionOccurred())
        result = static_cast<jstring>(env->NewObject(stringClass, constructor, chars));
    env->DeleteLocalRef(chars);
    return result;
}

jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    if (array == nullptr) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring text = toJavaString(env, texts[i]);
        if (text == nullptr) return nullptr;
        env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
        env->DeleteLocalRef(text);
    }
    return array;
}

namespace {

// The main class through the runtime's own launcher helper, which also
// checks it the way the java command does; null when that route is closed.
jclass loadThroughLauncherHelper(JNIEnv* env, const MainClassRequest& request) {
    if (request.findClassFromBootLoader == nullptr) return nullptr;
    jclass helper = request.findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (helper == nullptr) return nullptr;
    jmethodID checkAndLoadMain = env->GetStaticMethodID(helper, "checkAndLoadMain",
                                                        "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr) return nullptr;
    std::wstring dotted = request.mainClass;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    jstring name = toJavaString(env, dotted);
    if (name == nullptr) return nullptr;
    // Mode 1: the name is a class name, not a jar file.
    return static_cast<jclass>(
        env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, static_cast<jint>(1), name));
}

jclass loadThroughFindClass(JNIEnv* env, const MainClassRequest& request, JavaMainHost& host) {
    jstring name = toJavaString(env, request.mainClass);
    if (name == nullptr) {
        host.reportError(IDS_CANNOT_LOAD_MAIN_CLASS, request.mainClass);
        return nullptr;
    }
    const char* utf = env->GetStringUTFChars(name, nullptr);
    if (utf == nullptr) {
        env->ExceptionDescribe();
        return nullptr;
    }
    jclass mainClass = env->FindClass(utf);
    if (mainClass == nullptr) {
        env->ExceptionDescribe();
        host.reportError(IDS_MAIN_CLASS_NOT_FOUND, fromModifiedUtf8(utf));
    }
    env->ReleaseStringUTFChars(name, utf);
    return mainClass;
}

}  // namespace

bool runMainClass(JNIEnv* env, JavaVM* vm, const MainClassRequest& request, JavaMainHost& host) {
    jclass mainClass = loadThroughLauncherHelper(env, request);
    if (mainClass == nullptr) {
        // A failed attempt may leave its exception; FindClass must not run
        // with one pending.
        if (env->ExceptionCheck()) env->ExceptionClear();
        mainClass = loadThroughFindClass(env, request, host);
        if (mainClass == nullptr) return false;
    }

    jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        if (env->ExceptionOccurred()) {
            env->ExceptionDescribe();
        } else {
            host.reportError(IDS_NO_MAIN_METHOD, std::wstring());
        }
        return false;
    }

    jobjectArray arguments = toJavaStringArray(request.arguments, env);
    if (arguments == nullptr) {
        env->ExceptionDescribe();
        return false;
    }

    host.mainStarting();
    env->CallStaticVoidMethod(mainClass, main, arguments);

    if (jthrowable exception = env->ExceptionOccurred()) {
        host.closeSplash();
        if (request.failureCheck && host.showUncaughtException(exception, env)) {
            jclass system = env->FindClass("java/lang/System");
            jmethodID exitMethod =
                system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
            if (exitMethod != nullptr) env->CallStaticVoidMethod(system, exitMethod, -1);
            if (env->ExceptionOccurred()) env->ExceptionDescribe();
        }
    }

    if (request.keepThreadAlive) host.parkForever();
    return vm->DetachCurrentThread() == JNI_OK;
}
