#include "jvm/StackTrace_jni.h"

#include "util/Utf16.h"

#include <vector>

namespace {

// Causes followed at most: the chain's local references stay alive while it
// is walked, so that a cause met before can be recognised.
constexpr jint kLongestChain = 64;

void clearPending(JNIEnv* env) {
    if (env->ExceptionCheck()) env->ExceptionClear();
}

// The text of a Java string, whose local reference goes; empty for null.
std::wstring takeText(JNIEnv* env, jobject string) {
    std::wstring text;
    if (string == nullptr) return text;
    // Some runtimes (Avian) abort on the characters of an empty string.
    if (env->GetStringLength(static_cast<jstring>(string)) == 0) {
        env->DeleteLocalRef(string);
        return text;
    }
    if (const char* utf = env->GetStringUTFChars(static_cast<jstring>(string), nullptr)) {
        text = fromModifiedUtf8(utf);
        env->ReleaseStringUTFChars(static_cast<jstring>(string), utf);
    }
    env->DeleteLocalRef(string);
    return text;
}

// The result of the object's no-argument method; null, with nothing pending,
// when the method is missing or throws.
jobject callObjectMethod(JNIEnv* env, jobject target, const char* name, const char* signature) {
    jclass type = env->GetObjectClass(target);
    jmethodID method = type ? env->GetMethodID(type, name, signature) : nullptr;
    jobject result = method ? env->CallObjectMethod(target, method) : nullptr;
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        if (result != nullptr) env->DeleteLocalRef(result);
        result = nullptr;
    }
    if (type != nullptr) env->DeleteLocalRef(type);
    return result;
}

// Runs throwable.printStackTrace into a buffer. The text it wrote; thrown
// gets what it threw (null when it returned), nothing stays pending.
std::wstring printedTrace(JNIEnv* env, jthrowable throwable, jthrowable& thrown) {
    thrown = nullptr;
    jclass bufferClass = env->FindClass("java/io/ByteArrayOutputStream");
    jmethodID bufferInit = bufferClass ? env->GetMethodID(bufferClass, "<init>", "()V") : nullptr;
    jobject buffer = bufferInit ? env->NewObject(bufferClass, bufferInit) : nullptr;
    jclass printClass = buffer ? env->FindClass("java/io/PrintStream") : nullptr;
    jmethodID printInit = printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
    jobject print = printInit ? env->NewObject(printClass, printInit, buffer) : nullptr;
    jclass throwableClass = print ? env->GetObjectClass(throwable) : nullptr;
    jmethodID printStackTrace =
        throwableClass ? env->GetMethodID(throwableClass, "printStackTrace", "(Ljava/io/PrintStream;)V") : nullptr;
    std::wstring text;
    if (printStackTrace != nullptr) {
        env->CallVoidMethod(throwable, printStackTrace, print);
        thrown = env->ExceptionOccurred();
        clearPending(env);
        text = takeText(env, callObjectMethod(env, buffer, "toString", "()Ljava/lang/String;"));
    }
    // A lookup that failed leaves its exception; the capture goes on without it.
    clearPending(env);
    for (jobject local : {static_cast<jobject>(throwableClass), print, static_cast<jobject>(printClass), buffer,
                          static_cast<jobject>(bufferClass)})
        if (local != nullptr) env->DeleteLocalRef(local);
    return text;
}

std::wstring lineSeparator(JNIEnv* env) {
    jclass system = env->FindClass("java/lang/System");
    jmethodID getProperty =
        system ? env->GetStaticMethodID(system, "getProperty", "(Ljava/lang/String;)Ljava/lang/String;") : nullptr;
    jstring key = getProperty ? env->NewStringUTF("line.separator") : nullptr;
    std::wstring separator = key ? takeText(env, env->CallStaticObjectMethod(system, getProperty, key)) : L"";
    clearPending(env);
    return separator.empty() ? L"\n" : separator;
}

// The methods an exception is described with, looked up on the classes that
// declare them (a call still reaches a subclass's override): some runtimes
// (Avian) do not find Class.getName through the class of a class object.
// Called inside a local frame.
struct DescribingMethods {
    jmethodID getName = nullptr;  // Class
    jmethodID getMessage = nullptr;
    jmethodID getStackTrace = nullptr;
    jmethodID getCause = nullptr;
    jmethodID frameText = nullptr;  // StackTraceElement.toString
    jclass machineError = nullptr;  // VirtualMachineError

    explicit DescribingMethods(JNIEnv* env) {
        jclass type = env->FindClass("java/lang/Class");
        if (type != nullptr) getName = env->GetMethodID(type, "getName", "()Ljava/lang/String;");
        jclass throwable = getName ? env->FindClass("java/lang/Throwable") : nullptr;
        if (throwable != nullptr) {
            getMessage = env->GetMethodID(throwable, "getMessage", "()Ljava/lang/String;");
            getStackTrace = env->GetMethodID(throwable, "getStackTrace", "()[Ljava/lang/StackTraceElement;");
            getCause = env->GetMethodID(throwable, "getCause", "()Ljava/lang/Throwable;");
        }
        jclass frame = getCause ? env->FindClass("java/lang/StackTraceElement") : nullptr;
        if (frame != nullptr) frameText = env->GetMethodID(frame, "toString", "()Ljava/lang/String;");
        machineError = frameText ? env->FindClass("java/lang/VirtualMachineError") : nullptr;
        clearPending(env);
    }
    bool complete() const { return machineError != nullptr; }
};

// target.method(); null, with nothing pending, when it throws.
jobject call(JNIEnv* env, jobject target, jmethodID method) {
    jobject result = env->CallObjectMethod(target, method);
    if (!env->ExceptionCheck()) return result;
    env->ExceptionClear();
    if (result != nullptr) env->DeleteLocalRef(result);
    return nullptr;
}

// "class: message" without the throwable's own toString, which may be what
// fails: the name of its class, and the message when it has one. A
// VirtualMachineError (a stack overflow, no memory) is named only: methods
// of such an error may fail for good (Avian's stack overflow crashes).
std::wstring describe(JNIEnv* env, const DescribingMethods& methods, jobject throwable) {
    jclass type = env->GetObjectClass(throwable);
    std::wstring text = type ? takeText(env, call(env, type, methods.getName)) : L"";
    if (type != nullptr) env->DeleteLocalRef(type);
    if (text.empty() || env->IsInstanceOf(throwable, methods.machineError)) return text;
    const std::wstring message = takeText(env, call(env, throwable, methods.getMessage));
    if (!message.empty()) text += L": " + message;
    return text;
}

// One "\tat frame" line for each element of throwable.getStackTrace().
std::wstring framesOf(JNIEnv* env, const DescribingMethods& methods, jobject throwable,
                      const std::wstring& newline) {
    std::wstring text;
    auto frames = static_cast<jobjectArray>(call(env, throwable, methods.getStackTrace));
    if (frames == nullptr) return text;
    const jsize count = env->GetArrayLength(frames);
    for (jsize i = 0; i < count; ++i) {
        jobject frame = env->GetObjectArrayElement(frames, i);
        if (frame == nullptr) break;
        text += L"\tat " + takeText(env, call(env, frame, methods.frameText)) + newline;
        env->DeleteLocalRef(frame);
    }
    env->DeleteLocalRef(frames);
    clearPending(env);
    return text;
}

// The chain as printStackTrace would write it, made from its parts: each
// exception once, a cause met before named as a circular reference.
std::wstring describeChain(JNIEnv* env, const DescribingMethods& methods, jthrowable throwable,
                           const std::wstring& newline) {
    std::wstring text;
    std::vector<jobject> seen;
    jobject current = env->NewLocalRef(throwable);
    while (current != nullptr && seen.size() < static_cast<size_t>(kLongestChain)) {
        bool again = false;
        for (jobject earlier : seen) again = again || env->IsSameObject(earlier, current);
        const std::wstring description = describe(env, methods, current);
        if (description.empty()) break;
        if (again) {
            text += L"Caused by: [CIRCULAR REFERENCE: " + description + L"]" + newline;
            break;
        }
        text += (seen.empty() ? L"" : L"Caused by: ") + description + newline;
        text += framesOf(env, methods, current, newline);
        seen.push_back(current);
        current = call(env, current, methods.getCause);
    }
    return text;
}

}  // namespace

std::wstring captureStackTrace(JNIEnv* env, jthrowable throwable) {
    if (throwable == nullptr) return std::wstring();
    jthrowable thrown = nullptr;
    std::wstring text = printedTrace(env, throwable, thrown);
    if (thrown == nullptr && !text.empty()) return text;
    // The exception cannot print itself: it is written from its parts, and
    // every local reference made for that goes with the frame.
    if (env->PushLocalFrame(kLongestChain + 16) == JNI_OK) {
        const DescribingMethods methods(env);
        if (methods.complete()) {
            const std::wstring newline = lineSeparator(env);
            if (!text.empty() && text.back() != L'\n') text += newline;
            text += describeChain(env, methods, throwable, newline);
            if (thrown != nullptr) text += L"[printStackTrace threw " + describe(env, methods, thrown) + L"]" + newline;
        }
        env->PopLocalFrame(nullptr);
    }
    clearPending(env);
    if (thrown != nullptr) env->DeleteLocalRef(thrown);
    return text;
}
