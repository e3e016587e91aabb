#pragma once

#include "jvm/JavaStartPlan.h"
#include "jvm/JniTypes.h"

#include <functional>
#include <string>
#include <vector>

// Why the main class could not be run; the host tells the user.
enum class MainClassFailure {
    nameNotConvertible,  // the class name cannot become a Java string
    classNotFound,       // no such class on the class path
    noMainMethod,        // the class has no main method the runtime runs
};

// What the Java main thread needs from the rest of the launcher.
class JavaMainHost {
public:
    virtual ~JavaMainHost() = default;
    // JNI_CreateJavaVM failed with code.
    virtual void reportVmCreationFailure(jint code) = 0;
    // The main class cannot be run; className has "/" between packages.
    virtual void reportMainClassFailure(MainClassFailure failure, const std::wstring& className) = 0;
    // Puts the date into the file names and creates their folders, right
    // before the streams are redirected.
    virtual void prepareStreamTargets(StreamTargets& targets) = 0;
    // main is about to run: later starts of a single-instance application
    // may now be handed over.
    virtual void mainStarting() = 0;
    // main left an exception: the splash window must go.
    virtual void closeSplash() = 0;
    // Shows the exception that escaped main to the user (called with nothing
    // pending); true means stop the application.
    virtual bool showUncaughtException(jthrowable exception, JNIEnv* env) = 0;
    // Blocks the calling thread for good.
    virtual void parkForever() = 0;
};

// Finds the main class and its main method (FindClass uses the system class
// loader on a thread without Java frames), hands the class to the runtime's
// launcher helper when it has one, and calls main with the arguments. Every
// runtime runs a static main(String[]); where the helper records the main it
// chose (JDK 25, or 21 to 24 with preview features), main may also be an
// instance method, called on an object made with the class's no-argument
// constructor, and may take no parameters, as with the java command. False
// when the class or main cannot be found (reported through the host) or the
// arguments cannot be built; true once main has returned or thrown. The
// thread stays attached: leaving the VM is up to the caller.
bool runMainClass(JNIEnv* env, const MainClassPlan& plan,
                  FindClassFromBootLoaderFunction findClassFromBootLoader, JavaMainHost& host);

// A java.lang.String with exactly these UTF-16 units; null on failure. Leaves
// no local reference behind but the result.
jstring toJavaString(JNIEnv* env, const std::wstring& text);

// A String[] of the texts; null when the array or any element cannot be made.
// Leaves no local reference behind but the result.
jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env);

// Hands a later start's arguments to the main class's static
// secondaryMain(String[]) on the calling thread, which is attached to the VM.
// The void variant answers 0 through reply before it is called, the int
// variant answers its result after it has returned. False, without an answer,
// when the class, the method or the array is missing; an exception is
// described on System.err and nothing is left pending.
bool runSecondaryMain(JNIEnv* env, const std::wstring& mainClass, const std::vector<std::wstring>& arguments,
                      const std::function<void(int)>& reply);
