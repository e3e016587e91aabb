#include "jvm/MainClass_jni.h"

#include "util/Utf16.h"

#include <algorithm>

namespace {

// A local reference released when it goes out of scope.
class LocalRef {
public:
    LocalRef(JNIEnv* env, jobject object) : env_(env), object_(object) {}
    ~LocalRef() {
        if (object_ != nullptr) env_->DeleteLocalRef(object_);
    }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    jobject get() const { return object_; }
    // Hands the reference to the caller, who then owns it.
    jobject release() {
        jobject object = object_;
        object_ = nullptr;
        return object;
    }
    template <typename T>
    T as() const { return static_cast<T>(object_); }

private:
    JNIEnv* env_;
    jobject object_;
};

jstring newJavaString(JNIEnv* env, jclass stringClass, jmethodID constructor, const std::wstring& text) {
    std::u16string units = toUtf16(text);
    LocalRef chars(env, env->NewCharArray(static_cast<jsize>(units.size())));
    if (chars.get() == nullptr) return nullptr;
    env->SetCharArrayRegion(chars.as<jcharArray>(), 0, static_cast<jsize>(units.size()),
                            reinterpret_cast<const jchar*>(units.data()));
    if (env->ExceptionCheck()) return nullptr;
    return static_cast<jstring>(env->NewObject(stringClass, constructor, chars.get()));
}

}  // namespace

jstring toJavaString(JNIEnv* env, const std::wstring& text) {
    LocalRef stringClass(env, env->FindClass("java/lang/String"));
    if (stringClass.get() == nullptr) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass.as<jclass>(), "<init>", "([C)V");
    if (constructor == nullptr) return nullptr;
    return newJavaString(env, stringClass.as<jclass>(), constructor, text);
}

jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env) {
    LocalRef stringClass(env, env->FindClass("java/lang/String"));
    if (stringClass.get() == nullptr) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass.as<jclass>(), "<init>", "([C)V");
    if (constructor == nullptr) return nullptr;
    LocalRef array(env, env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass.as<jclass>(), nullptr));
    if (array.get() == nullptr) return nullptr;
    for (size_t i = 0; i < texts.size(); ++i) {
        LocalRef text(env, newJavaString(env, stringClass.as<jclass>(), constructor, texts[i]));
        if (text.get() == nullptr) return nullptr;
        env->SetObjectArrayElement(array.as<jobjectArray>(), static_cast<jsize>(i), text.get());
        if (env->ExceptionCheck()) return nullptr;
    }
    return static_cast<jobjectArray>(array.release());
}

namespace {

// The class through FindClass, which on a thread without Java frames uses the
// system class loader: the class path the VM was given.
// The class name in the modified UTF-8 that FindClass takes, made by the VM
// itself; false when the name cannot become a Java string (described).
bool modifiedUtf8Of(JNIEnv* env, const std::wstring& text, std::string& utf) {
    LocalRef name(env, toJavaString(env, text));
    if (name.get() == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    }
    const char* chars = env->GetStringUTFChars(name.as<jstring>(), nullptr);
    if (chars == nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    utf = chars;
    env->ReleaseStringUTFChars(name.as<jstring>(), chars);
    return true;
}

jclass findMainClass(JNIEnv* env, const MainClassPlan& plan, JavaMainHost& host) {
    std::string utf;
    if (!modifiedUtf8Of(env, plan.mainClass, utf)) {
        host.reportMainClassFailure(MainClassFailure::nameNotConvertible, plan.mainClass);
        return nullptr;
    }
    jclass mainClass = env->FindClass(utf.c_str());
    if (mainClass == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        host.reportMainClassFailure(MainClassFailure::classNotFound, fromModifiedUtf8(utf.c_str()));
    }
    return mainClass;
}

// The class as the runtime's launcher helper loads and checks it, the way
// the java command does; null when the runtime has no such helper or it
// answers null. Called only for a class whose main is known to exist: for
// anything else a JDK's helper prints its own text and ends the process.
jclass loadThroughLauncherHelper(JNIEnv* env, const MainClassPlan& plan,
                                 FindClassFromBootLoaderFunction findClassFromBootLoader) {
    if (findClassFromBootLoader == nullptr) return nullptr;
    LocalRef helper(env, findClassFromBootLoader(env, "sun/launcher/LauncherHelper"));
    if (helper.get() == nullptr) return nullptr;
    jmethodID checkAndLoadMain = env->GetStaticMethodID(
        helper.as<jclass>(), "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr) return nullptr;
    std::wstring dotted = plan.mainClass;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    LocalRef name(env, toJavaString(env, dotted));
    if (name.get() == nullptr) return nullptr;
    // Mode 1: the name is a class name, not a jar file.
    return static_cast<jclass>(env->CallStaticObjectMethod(helper.as<jclass>(), checkAndLoadMain, JNI_TRUE,
                                                           static_cast<jint>(1), name.get()));
}

// Hands an exception that escaped main to the thread's uncaught-exception
// handler, as a Java thread's end does: the application's own handler, or
// the thread group's, which prints it to System.err. False when the runtime
// offers no such handler; nothing is pending afterwards.
bool handOverUncaughtException(JNIEnv* env, jthrowable exception) {
    LocalRef threadClass(env, env->FindClass("java/lang/Thread"));
    jmethodID currentThread = threadClass.get() ? env->GetStaticMethodID(threadClass.as<jclass>(), "currentThread",
                                                                         "()Ljava/lang/Thread;")
                                                : nullptr;
    LocalRef thread(env, currentThread ? env->CallStaticObjectMethod(threadClass.as<jclass>(), currentThread)
                                       : nullptr);
    jmethodID getHandler = thread.get() ? env->GetMethodID(threadClass.as<jclass>(), "getUncaughtExceptionHandler",
                                                           "()Ljava/lang/Thread$UncaughtExceptionHandler;")
                                        : nullptr;
    LocalRef handler(env, getHandler ? env->CallObjectMethod(thread.get(), getHandler) : nullptr);
    LocalRef handlerClass(env, handler.get() ? env->FindClass("java/lang/Thread$UncaughtExceptionHandler") : nullptr);
    jmethodID uncaught = handlerClass.get() ? env->GetMethodID(handlerClass.as<jclass>(), "uncaughtException",
                                                               "(Ljava/lang/Thread;Ljava/lang/Throwable;)V")
                                            : nullptr;
    if (uncaught == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionClear();
        return false;
    }
    env->CallVoidMethod(handler.get(), uncaught, thread.get(), exception);
    // What the handler itself throws is dropped, as at a thread's end.
    if (env->ExceptionCheck()) env->ExceptionClear();
    return true;
}

}  // namespace

bool runMainClass(JNIEnv* env, const MainClassPlan& plan,
                  FindClassFromBootLoaderFunction findClassFromBootLoader, JavaMainHost& host) {
    LocalRef found(env, findMainClass(env, plan, host));
    if (found.get() == nullptr) return false;
    if (env->GetStaticMethodID(found.as<jclass>(), "main", "([Ljava/lang/String;)V") == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        host.reportMainClassFailure(MainClassFailure::noMainMethod, plan.mainClass);
        return false;
    }

    LocalRef checked(env, loadThroughLauncherHelper(env, plan, findClassFromBootLoader));
    // A failed attempt may leave its exception; nothing else may run with
    // one pending. The class found directly serves then.
    if (env->ExceptionCheck()) env->ExceptionClear();
    jclass mainClass = checked.get() != nullptr ? checked.as<jclass>() : found.as<jclass>();
    jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        host.reportMainClassFailure(MainClassFailure::noMainMethod, plan.mainClass);
        return false;
    }

    LocalRef arguments(env, toJavaStringArray(plan.arguments, env));
    if (arguments.get() == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    }

    host.mainStarting();
    env->CallStaticVoidMethod(mainClass, main, arguments.get());

    if (jthrowable exception = env->ExceptionOccurred()) {
        host.closeSplash();
        // Nothing but the exception functions may run while it is pending.
        env->ExceptionClear();
        if (plan.failureCheck && host.showUncaughtException(exception, env)) {
            LocalRef system(env, env->FindClass("java/lang/System"));
            jmethodID exitMethod =
                system.get() ? env->GetStaticMethodID(system.as<jclass>(), "exit", "(I)V") : nullptr;
            if (exitMethod != nullptr) env->CallStaticVoidMethod(system.as<jclass>(), exitMethod, -1);
            if (env->ExceptionCheck()) env->ExceptionDescribe();
        } else if (!handOverUncaughtException(env, exception)) {
            // Not every runtime reports an exception still pending when the
            // thread leaves: its trace must not be lost.
            env->Throw(exception);
            env->ExceptionDescribe();
        }
        env->DeleteLocalRef(exception);
    }
    return true;
}

bool runSecondaryMain(JNIEnv* env, const std::wstring& mainClass, const std::vector<std::wstring>& arguments,
                      const std::function<void(int)>& reply) {
    std::string utf;
    if (!modifiedUtf8Of(env, mainClass, utf)) return false;
    LocalRef found(env, env->FindClass(utf.c_str()));
    if (found.get() == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionClear();
        return false;
    }
    const jclass owner = found.as<jclass>();
    bool returnsInt = false;
    jmethodID method = env->GetStaticMethodID(owner, "secondaryMain", "([Ljava/lang/String;)V");
    if (method == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionClear();
        method = env->GetStaticMethodID(owner, "secondaryMain", "([Ljava/lang/String;)I");
        returnsInt = true;
    }
    if (method == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    }
    LocalRef array(env, toJavaStringArray(arguments, env));
    if (array.get() == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    }
    if (returnsInt) {
        const jint result = env->CallStaticIntMethod(owner, method, array.get());
        // Asked before anything else, as JNI wants it after a call.
        const bool threw = env->ExceptionCheck();
        reply(threw ? 0 : result);
    } else {
        // The later start need not wait for the work it asked for.
        reply(0);
        env->CallStaticVoidMethod(owner, method, array.get());
    }
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    return true;
}
