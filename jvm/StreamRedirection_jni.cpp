#include "jvm/StreamRedirection_jni.h"

#include "jvm/MainClass_jni.h"

namespace {

bool redirectJavaStream(JNIEnv* env, const char* setter, const std::wstring& path, bool append) {
    jstring javaPath = toJavaString(env, path);
    if (javaPath == nullptr) return false;

    jclass fileStreamClass = env->FindClass("java/io/FileOutputStream");
    if (fileStreamClass == nullptr) return false;
    jmethodID fileStreamInit = env->GetMethodID(fileStreamClass, "<init>", "(Ljava/lang/String;Z)V");
    if (fileStreamInit == nullptr) return false;
    // The runtime opens the file itself: appending, or truncating/creating.
    jobject fileStream = env->NewObject(fileStreamClass, fileStreamInit, javaPath,
                                        append ? JNI_TRUE : JNI_FALSE);
    if (fileStream == nullptr) return false;

    jclass printStreamClass = env->FindClass("java/io/PrintStream");
    if (printStreamClass == nullptr) return false;
    jmethodID printStreamInit = env->GetMethodID(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V");
    if (printStreamInit == nullptr) return false;
    jobject printStream = env->NewObject(printStreamClass, printStreamInit, fileStream);
    if (printStream == nullptr) return false;

    jclass system = env->FindClass("java/lang/System");
    if (system == nullptr) return false;
    jmethodID setStream = env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V");
    if (setStream == nullptr) return false;
    env->CallStaticVoidMethod(system, setStream, printStream);
    if (env->ExceptionOccurred()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

}  // namespace

bool redirectStandardOutput(JNIEnv* env, const std::wstring& path, bool append) {
    return redirectJavaStream(env, "setOut", path, append);
}

bool redirectStandardError(JNIEnv* env, const std::wstring& path, bool append) {
    return redirectJavaStream(env, "setErr", path, append);
}
