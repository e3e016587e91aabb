#include "jvm/StackTrace_jni.h"

#include "util/Utf16.h"

namespace {

void describePending(JNIEnv* env) {
    if (env->ExceptionCheck()) env->ExceptionDescribe();
}

}  // namespace

std::wstring captureStackTrace(JNIEnv* env, jthrowable throwable) {
    if (throwable == nullptr) return std::wstring();
    std::wstring text;
    jclass bufferClass = env->FindClass("java/io/ByteArrayOutputStream");
    jmethodID bufferInit = bufferClass ? env->GetMethodID(bufferClass, "<init>", "()V") : nullptr;
    jobject buffer = bufferInit ? env->NewObject(bufferClass, bufferInit) : nullptr;
    jclass printClass = buffer ? env->FindClass("java/io/PrintStream") : nullptr;
    jmethodID printInit = printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
    jobject print = printInit ? env->NewObject(printClass, printInit, buffer) : nullptr;
    jclass throwableClass = print ? env->GetObjectClass(throwable) : nullptr;
    jmethodID printStackTrace =
        throwableClass ? env->GetMethodID(throwableClass, "printStackTrace", "(Ljava/io/PrintStream;)V") : nullptr;
    if (printStackTrace != nullptr) {
        env->CallVoidMethod(throwable, printStackTrace, print);
        describePending(env);
        jclass bufferType = env->GetObjectClass(buffer);
        jmethodID toString = bufferType ? env->GetMethodID(bufferType, "toString", "()Ljava/lang/String;") : nullptr;
        auto string = toString ? static_cast<jstring>(env->CallObjectMethod(buffer, toString)) : nullptr;
        describePending(env);
        if (string != nullptr) {
            if (const char* utf = env->GetStringUTFChars(string, nullptr)) {
                text = fromModifiedUtf8(utf);
                env->ReleaseStringUTFChars(string, utf);
            }
            env->DeleteLocalRef(string);
        }
        if (bufferType != nullptr) env->DeleteLocalRef(bufferType);
    }
    // A lookup that failed leaves its exception; the capture just gives up.
    if (env->ExceptionCheck()) env->ExceptionClear();
    for (jobject local : {static_cast<jobject>(throwableClass), print, static_cast<jobject>(printClass), buffer,
                          static_cast<jobject>(bufferClass)})
        if (local != nullptr) env->DeleteLocalRef(local);
    return text;
}
