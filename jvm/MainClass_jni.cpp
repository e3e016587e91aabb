#include "jvm/MainClass_jni.h"

#include "jvm/StackTrace_jni.h"
#include "util/Trace.h"
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

const char* const argumentsSignature = "([Ljava/lang/String;)V";
const char* const noArgumentsSignature = "()V";

// How main is called: static or on an instance made with the class's
// no-argument constructor, with the String[] or without parameters.
struct MainForm {
    bool isStatic = true;
    bool takesArguments = true;
};

// The runtime's launcher helper; null, with nothing pending, when it has none.
jclass findLauncherHelper(JNIEnv* env, FindClassFromBootLoaderFunction findClassFromBootLoader) {
    if (findClassFromBootLoader == nullptr) return nullptr;
    jclass helper = findClassFromBootLoader(env, "sun/launcher/LauncherHelper");
    if (env->ExceptionCheck()) env->ExceptionClear();
    return helper;
}

// The runtime's feature version (25 for 25.0.1); 0 when it cannot tell.
// Nothing is left pending.
jint featureVersion(JNIEnv* env) {
    LocalRef runtime(env, env->FindClass("java/lang/Runtime"));
    jmethodID versionOf = runtime.get() ? env->GetStaticMethodID(runtime.as<jclass>(), "version",
                                                                 "()Ljava/lang/Runtime$Version;")
                                        : nullptr;
    LocalRef version(env, versionOf ? env->CallStaticObjectMethod(runtime.as<jclass>(), versionOf) : nullptr);
    LocalRef versionClass(env, version.get() ? env->GetObjectClass(version.get()) : nullptr);
    jmethodID feature = versionClass.get() ? env->GetMethodID(versionClass.as<jclass>(), "feature", "()I") : nullptr;
    const jint result = feature ? env->CallIntMethod(version.get(), feature) : 0;
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        return 0;
    }
    return result;
}

// Whether the VM runs with preview features (--enable-preview). Nothing is
// left pending.
bool previewFeaturesEnabled(JNIEnv* env, FindClassFromBootLoaderFunction findClassFromBootLoader) {
    LocalRef features(env, findClassFromBootLoader(env, "jdk/internal/misc/PreviewFeatures"));
    jmethodID isEnabled =
        features.get() ? env->GetStaticMethodID(features.as<jclass>(), "isEnabled", "()Z") : nullptr;
    const jboolean enabled = isEnabled ? env->CallStaticBooleanMethod(features.as<jclass>(), isEnabled) : JNI_FALSE;
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        return false;
    }
    return enabled == JNI_TRUE;
}

// The launcher helper's static fields in which checkAndLoadMain records the
// main method it chose (JDK 21 and later), as the java command reads them.
struct MainChoice {
    jfieldID isStatic = nullptr;
    jfieldID noArguments = nullptr;
    bool known() const { return isStatic != nullptr && noArguments != nullptr; }
};

// The fields, when the helper also accepts instance mains and mains without
// parameters: from JDK 25 on, and from 21 to 24 with preview features only
// (without them such a main makes the helper end the process). Unknown
// otherwise; nothing is left pending.
MainChoice mainChoiceOf(JNIEnv* env, jclass helper, FindClassFromBootLoaderFunction findClassFromBootLoader) {
    MainChoice choice;
    choice.isStatic = env->GetStaticFieldID(helper, "isStaticMain", "Z");
    if (choice.isStatic != nullptr) choice.noArguments = env->GetStaticFieldID(helper, "noArgMain", "Z");
    if (env->ExceptionCheck()) env->ExceptionClear();
    if (!choice.known()) return MainChoice{};
    if (featureVersion(env) < 25 && !previewFeaturesEnabled(env, findClassFromBootLoader)) return MainChoice{};
    return choice;
}

// The form of the main method checkAndLoadMain chose.
MainForm chosenForm(JNIEnv* env, jclass helper, const MainChoice& choice) {
    MainForm form;
    form.isStatic = env->GetStaticBooleanField(helper, choice.isStatic) == JNI_TRUE;
    form.takesArguments = env->GetStaticBooleanField(helper, choice.noArguments) != JNI_TRUE;
    return form;
}

// Whether a method JNI found is private: JNI finds those too, the helper
// refuses them as main. Nothing is left pending.
bool isPrivate(JNIEnv* env, jclass type, jmethodID method, bool isStatic) {
    LocalRef reflected(env, env->ToReflectedMethod(type, method, isStatic ? JNI_TRUE : JNI_FALSE));
    LocalRef methodClass(env, reflected.get() ? env->GetObjectClass(reflected.get()) : nullptr);
    jmethodID getModifiers =
        methodClass.get() ? env->GetMethodID(methodClass.as<jclass>(), "getModifiers", "()I") : nullptr;
    const jint modifiers = getModifiers ? env->CallIntMethod(reflected.get(), getModifiers) : 0;
    if (env->ExceptionCheck()) env->ExceptionClear();
    const jint privateModifier = 0x0002;  // java.lang.reflect.Modifier.PRIVATE
    return (modifiers & privateModifier) != 0;
}

// Whether the class has a main the runtime runs: static main(String[]), and
// when the runtime accepts them also an instance main or one without
// parameters, none of them private. The launcher asks first because a JDK's
// helper ends the process for a class without. When there is none, the
// first lookup's exception is described.
bool hasMain(JNIEnv* env, jclass type, bool newerForms) {
    jmethodID main = env->GetStaticMethodID(type, "main", argumentsSignature);
    if (!newerForms) {
        if (main == nullptr && env->ExceptionCheck()) env->ExceptionDescribe();
        return main != nullptr;
    }
    if (main != nullptr && !isPrivate(env, type, main, true)) return true;
    LocalRef failure(env, env->ExceptionOccurred());
    env->ExceptionClear();
    const MainForm others[] = {{false, true}, {true, false}, {false, false}};
    for (const MainForm& form : others) {
        const char* signature = form.takesArguments ? argumentsSignature : noArgumentsSignature;
        main = form.isStatic ? env->GetStaticMethodID(type, "main", signature)
                             : env->GetMethodID(type, "main", signature);
        if (main != nullptr && !isPrivate(env, type, main, form.isStatic)) return true;
        env->ExceptionClear();
    }
    if (failure.get() != nullptr) {
        env->Throw(failure.as<jthrowable>());
        env->ExceptionDescribe();
    }
    return false;
}

// The class as the runtime's launcher helper loads and checks it, the way
// the java command does; null when the helper has no checkAndLoadMain or
// it answers null. Called only for a class known to have a main the helper
// accepts: for anything else a JDK's helper prints its own text and ends
// the process.
jclass loadThroughLauncherHelper(JNIEnv* env, jclass helper, const MainClassPlan& plan) {
    jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr) return nullptr;
    std::wstring dotted = plan.mainClass;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    LocalRef name(env, toJavaString(env, dotted));
    if (name.get() == nullptr) return nullptr;
    // Mode 1: the name is a class name, not a jar file.
    return static_cast<jclass>(
        env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, static_cast<jint>(1), name.get()));
}

// Calls main in its form, as the java command does: static, or on an
// instance made with the no-argument constructor (looked up, the instance
// made, then main looked up). False when main or the constructor is missing
// (reported) or the arguments cannot be built; true once main has been
// called. An exception from the constructor, or a main gone missing after
// it, is left pending as one from main would be.
bool callMain(JNIEnv* env, jclass mainClass, MainForm form, const MainClassPlan& plan, JavaMainHost& host) {
    const char* signature = form.takesArguments ? argumentsSignature : noArgumentsSignature;
    jmethodID entry = form.isStatic ? env->GetStaticMethodID(mainClass, "main", signature)
                                    : env->GetMethodID(mainClass, "<init>", "()V");
    if (entry == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        host.reportMainClassFailure(MainClassFailure::noMainMethod, plan.mainClass);
        return false;
    }
    LocalRef arguments(env, form.takesArguments ? toJavaStringArray(plan.arguments, env) : nullptr);
    if (form.takesArguments && arguments.get() == nullptr) {
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return false;
    }

    host.mainStarting();
    if (form.isStatic) {
        if (form.takesArguments) {
            env->CallStaticVoidMethod(mainClass, entry, arguments.get());
        } else {
            env->CallStaticVoidMethod(mainClass, entry);
        }
        return true;
    }
    LocalRef instance(env, env->NewObject(mainClass, entry));
    if (instance.get() == nullptr) return true;
    jmethodID main = env->GetMethodID(mainClass, "main", signature);
    if (main == nullptr) return true;
    if (form.takesArguments) {
        env->CallVoidMethod(instance.get(), main, arguments.get());
    } else {
        env->CallVoidMethod(instance.get(), main);
    }
    return true;
}

// Prints text to System.err as it is; nothing is left pending.
void printToStandardError(JNIEnv* env, const std::wstring& text) {
    LocalRef system(env, env->FindClass("java/lang/System"));
    jfieldID errField =
        system.get() ? env->GetStaticFieldID(system.as<jclass>(), "err", "Ljava/io/PrintStream;") : nullptr;
    LocalRef err(env, errField ? env->GetStaticObjectField(system.as<jclass>(), errField) : nullptr);
    LocalRef streamClass(env, err.get() ? env->GetObjectClass(err.get()) : nullptr);
    jmethodID print = streamClass.get()
                          ? env->GetMethodID(streamClass.as<jclass>(), "print", "(Ljava/lang/String;)V")
                          : nullptr;
    jmethodID flush = print ? env->GetMethodID(streamClass.as<jclass>(), "flush", "()V") : nullptr;
    LocalRef string(env, flush ? toJavaString(env, text) : nullptr);
    if (string.get() != nullptr) env->CallVoidMethod(err.get(), print, string.get());
    if (string.get() != nullptr && !env->ExceptionCheck()) env->CallVoidMethod(err.get(), flush);
    if (env->ExceptionCheck()) env->ExceptionClear();
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
    // What the handler itself throws is dropped, as at a thread's end; the
    // thread group's handler throws when the exception cannot print itself,
    // and then the launcher writes what can be known of it.
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        printToStandardError(env, captureStackTrace(env, exception));
    }
    return true;
}

}  // namespace

MainOutcome runMainClass(JNIEnv* env, const MainClassPlan& plan,
                         FindClassFromBootLoaderFunction findClassFromBootLoader, JavaMainHost& host) {
    LocalRef found(env, findMainClass(env, plan, host));
    if (found.get() == nullptr) return MainOutcome::notRun;
    LocalRef helper(env, findLauncherHelper(env, findClassFromBootLoader));
    const MainChoice choice =
        helper.get() != nullptr ? mainChoiceOf(env, helper.as<jclass>(), findClassFromBootLoader) : MainChoice{};
    if (!hasMain(env, found.as<jclass>(), choice.known())) {
        host.reportMainClassFailure(MainClassFailure::noMainMethod, plan.mainClass);
        return MainOutcome::notRun;
    }

    LocalRef checked(env, helper.get() != nullptr ? loadThroughLauncherHelper(env, helper.as<jclass>(), plan)
                                                  : nullptr);
    // A failed attempt may leave its exception; nothing else may run with
    // one pending. The class found directly serves then, with the static
    // main(String[]) every runtime runs.
    if (env->ExceptionCheck()) env->ExceptionClear();
    const jclass mainClass = checked.get() != nullptr ? checked.as<jclass>() : found.as<jclass>();
    const MainForm form =
        checked.get() != nullptr && choice.known() ? chosenForm(env, helper.as<jclass>(), choice) : MainForm{};
    if (tracing())
        trace(std::wstring(checked.get() != nullptr ? L"main class: checked by the runtime's LauncherHelper"
                                                    : L"main class: found with FindClass") +
              (form.isStatic ? L", static main" : L", main on a new instance") +
              (form.takesArguments ? L"(String[])" : L"()"));
    if (!callMain(env, mainClass, form, plan, host)) return MainOutcome::notRun;

    LocalRef exception(env, env->ExceptionOccurred());
    if (exception.get() == nullptr) return MainOutcome::returned;
    host.closeSplash();
    // Nothing but the exception functions may run while it is pending.
    env->ExceptionClear();
    // Without a trace there is nothing to show: the exception goes on as
    // without the check.
    const std::wstring trace = plan.failureCheck ? captureStackTrace(env, exception.as<jthrowable>()) : L"";
    const bool shown = !trace.empty();
    if (shown && host.showUncaughtException(trace)) {
        LocalRef system(env, env->FindClass("java/lang/System"));
        jmethodID exitMethod = system.get() ? env->GetStaticMethodID(system.as<jclass>(), "exit", "(I)V") : nullptr;
        if (exitMethod != nullptr) env->CallStaticVoidMethod(system.as<jclass>(), exitMethod, -1);
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        return MainOutcome::threw;
    }
    if (!handOverUncaughtException(env, exception.as<jthrowable>())) {
        // Not every runtime reports an exception still pending when the
        // thread leaves: its trace must not be lost.
        env->Throw(exception.as<jthrowable>());
        env->ExceptionDescribe();
    }
    // The user chose to go on: the application's end decides the exit code.
    return shown ? MainOutcome::returned : MainOutcome::threw;
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
        // No result to answer with: 1, as java ends for an exception that
        // escapes main; never the 0 of success.
        reply(threw ? 1 : result);
    } else {
        // The later start need not wait for the work it asked for.
        reply(0);
        env->CallStaticVoidMethod(owner, method, array.get());
    }
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    return true;
}
