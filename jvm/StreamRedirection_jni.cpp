#include "jvm/StreamRedirection_jni.h"

#include "jvm/MainClass_jni.h"

namespace {

bool setSystemStream(JNIEnv* env, const char* setter, jobject printStream) {
    jclass system = env->FindClass("java/lang/System");
    if (system == nullptr) return false;
    jmethodID setStream = env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V");
    if (setStream != nullptr) env->CallStaticVoidMethod(system, setStream, printStream);
    env->DeleteLocalRef(system);
    if (setStream == nullptr) return false;
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

jobject openPrintStream(JNIEnv* env, const std::wstring& path, bool append) {
    jstring javaPath = toJavaString(env, path);
    if (javaPath == nullptr) return nullptr;

    jobject printStream = nullptr;
    jobject fileStream = nullptr;
    jclass fileStreamClass = env->FindClass("java/io/FileOutputStream");
    jmethodID fileStreamInit =
        fileStreamClass ? env->GetMethodID(fileStreamClass, "<init>", "(Ljava/lang/String;Z)V") : nullptr;
    // The runtime opens the file itself: appending, or truncating/creating.
    if (fileStreamInit != nullptr)
        fileStream = env->NewObject(fileStreamClass, fileStreamInit, javaPath, append ? JNI_TRUE : JNI_FALSE);
    if (fileStream != nullptr) {
        jclass printStreamClass = env->FindClass("java/io/PrintStream");
        jmethodID printStreamInit =
            printStreamClass ? env->GetMethodID(printStreamClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
        if (printStreamInit != nullptr) printStream = env->NewObject(printStreamClass, printStreamInit, fileStream);
        if (printStreamClass != nullptr) env->DeleteLocalRef(printStreamClass);
        env->DeleteLocalRef(fileStream);
    }
    if (fileStreamClass != nullptr) env->DeleteLocalRef(fileStreamClass);
    env->DeleteLocalRef(javaPath);
    return printStream;
}

jobject redirectJavaStream(JNIEnv* env, const char* setter, const std::wstring& path, bool append) {
    jobject printStream = openPrintStream(env, path, append);
    if (printStream == nullptr) return nullptr;
    if (!setSystemStream(env, setter, printStream)) {
        env->DeleteLocalRef(printStream);
        return nullptr;
    }
    return printStream;
}

}  // namespace

jobject redirectStandardOutput(JNIEnv* env, const std::wstring& path, bool append) {
    return redirectJavaStream(env, "setOut", path, append);
}

jobject redirectStandardError(JNIEnv* env, const std::wstring& path, bool append) {
    return redirectJavaStream(env, "setErr", path, append);
}

bool shareStandardError(JNIEnv* env, jobject stream) {
    return setSystemStream(env, "setErr", stream);
}

void applyStreamRedirection(JNIEnv* env, const StreamTargets& targets) {
    auto describeFailure = [env] {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
    };
    jobject output = nullptr;
    if (!targets.outputFile.empty()) {
        output = redirectStandardOutput(env, targets.outputFile, targets.outputAppend);
        if (output == nullptr) describeFailure();
    }
    if (sharesOneFile(targets)) {
        // Two streams over one file would each write from their own offset
        // and overwrite each other.
        if (output != nullptr) shareStandardError(env, output);
    } else if (!targets.errorFile.empty()) {
        jobject error = redirectStandardError(env, targets.errorFile, targets.errorAppend);
        if (error == nullptr) describeFailure();
        if (error != nullptr) env->DeleteLocalRef(error);
    }
    if (output != nullptr) env->DeleteLocalRef(output);
}
