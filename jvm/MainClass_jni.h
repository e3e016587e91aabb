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
    // Puts the date into the file names, creates their folders and finds
    // out which files they name, right before the streams are redirected.
    virtual void prepareStreamTargets(StreamTargets& targets) = 0;
    // main is about to run: later starts of a single-instance application
    // may now be handed over.
    virtual void mainStarting() = 0;
    // main is done, or left an exception: the splash window must go.
    virtual void closeSplash() = 0;
    // Shows the trace of the exception that escaped main (never empty) to the
    // user; true means stop the application, false go on with it.
    virtual bool showUncaughtException(const std::wstring& trace) = 0;
    // Blocks the calling thread for good.
    virtual void parkForever() = 0;
};

// How running the main class ended.
enum class MainOutcome {
    notRun,    // the class or main could not be found (reported), or the arguments could not be built
    returned,  // main returned, or the user let the application go on after its exception
    threw,     // an exception escaped main and went to the thread's handler
};

// Finds the main class and its main method (FindClass uses the system class
// loader on a thread without Java frames), hands the class to the runtime's
// launcher helper when it has one, and calls main with the arguments. Every
// runtime runs a static main(String[]); where the helper records the main it
// chose (JDK 25, or 21 to 24 with preview features), main may also be an
// instance method, called on an object made with the class's no-argument
// constructor, and may take no parameters, as with the java command. An
// exception that escapes main is shown through the host when plan asks for
// the failure check ("Stop" ends the VM with -1) and otherwise, or when the
// user does not let it go, handed to the thread's uncaught-exception handler.
// The thread stays attached: leaving the VM is up to the caller.
MainOutcome runMainClass(JNIEnv* env, const MainClassPlan& plan,
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
// variant answers its result after it has returned, or 1 when it threw. False, without an answer,
// when the class, the method or the array is missing; an exception is
// described on System.err and nothing is left pending.
bool runSecondaryMain(JNIEnv* env, const std::wstring& mainClass, const std::vector<std::wstring>& arguments,
                      const std::function<void(int)>& reply);
