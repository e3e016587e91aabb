#pragma once

#include "jvm/JniTypes.h"

#include <string>
#include <vector>

// What the main-class invocation needs from the rest of the launcher.
class JavaMainHost {
public:
    virtual ~JavaMainHost() = default;
    // Shows the string-table message with that id ("%s" = argument).
    virtual void reportError(unsigned messageId, const std::wstring& argument) = 0;
    // main is about to run: later starts of a single-instance application
    // may now be handed over.
    virtual void mainStarting() = 0;
    // main left an exception: the splash window must go.
    virtual void closeSplash() = 0;
    // Shows the exception to the user; true means stop the application.
    virtual bool showUncaughtException(jthrowable exception, JNIEnv* env) = 0;
    // Blocks the calling thread for good.
    virtual void parkForever() = 0;
};

// What to run.
struct MainClassRequest {
    std::wstring mainClass;               // "/" between packages
    std::vector<std::wstring> arguments;  // for main's String[]
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;
    bool failureCheck = false;     // show an exception that escapes main
    bool keepThreadAlive = false;  // IBM runtimes: never detach this thread
};

// Loads the main class (through the runtime's launcher helper when it has
// one, else FindClass), calls its static main with the arguments and detaches
// the thread. False when the class or main cannot be found (reported) or the
// thread cannot be detached; true once main has returned or thrown.
bool runMainClass(JNIEnv* env, JavaVM* vm, const MainClassRequest& request, JavaMainHost& host);

// A java.lang.String with exactly these UTF-16 units; null on failure.
jstring toJavaString(JNIEnv* env, const std::wstring& text);

// A String[] of the texts; null when the array or any element cannot be made.
jobjectArray toJavaStringArray(const std::vector<std::wstring>& texts, JNIEnv* env);
