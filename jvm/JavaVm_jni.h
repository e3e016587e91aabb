#pragma once

#include "jvm/JniTypes.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// The entry points of a loaded runtime's jvm.dll.
struct JvmEntryPoints {
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultJavaVmInitArgsFunction getDefaultInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;  // may be missing
};

// The one owner of the VM: the runtime's entry points, the JavaVM and the
// Java main thread's JNIEnv. The VM is created once, on the thread that then
// is the Java main thread; that thread leaves it through detachMainThread on
// every path; the owner destroys it once, at the latest when it is destroyed
// itself.
class JavaVmOwner {
public:
    explicit JavaVmOwner(const JvmEntryPoints& entryPoints) : entryPoints_(entryPoints) {}
    ~JavaVmOwner() { destroy(); }
    JavaVmOwner(const JavaVmOwner&) = delete;
    JavaVmOwner& operator=(const JavaVmOwner&) = delete;

    // The runtime's default Java stack size in bytes (asked through the
    // JDK 1.1 argument block); 0 when it names none.
    std::uint32_t defaultThreadStackSize() const;

    // Creates the VM on the calling thread with options and the exit and
    // abort hooks, which let the VM carry out System.exit itself. JNI_OK, or
    // the runtime's error code. Never tried twice.
    jint create(const std::vector<std::string>& options);

    // The Java main thread's environment; null before create succeeded.
    JNIEnv* mainEnv() const { return mainEnv_; }
    FindClassFromBootLoaderFunction findClassFromBootLoader() const {
        return entryPoints_.findClassFromBootLoader;
    }

    // The Java main thread leaves the VM; JNI_OK when it did.
    jint detachMainThread();

    // Destroys the VM if it exists: DestroyJavaVM returns when the
    // application's last non-daemon thread has ended. A Java main thread that
    // could not detach would make it wait for ever, so then the VM is left to
    // the end of the process.
    void destroy();

    bool exists() const { return vm_ != nullptr; }

    // A thread that serves a later start enters the VM, also while
    // DestroyJavaVM waits for the application's last thread; null when there
    // is no VM, or it has been destroyed. Such a thread ends its work with
    // detachWorker, and DestroyJavaVM waits until it has.
    JNIEnv* attachWorker();
    void detachWorker();

    // Ends the application as System.exit(status) does, from any thread: the
    // VM runs the shutdown hooks and ends the process. False when there is
    // no VM to end (not yet created, or destroyed) or it has no System.exit.
    bool exitApplication(int status);

private:
    JvmEntryPoints entryPoints_;
    JavaVM* vm_ = nullptr;
    // Workers attach until the VM has been destroyed: destroy then sets
    // closing_ and waits until no worker is between its check and its attach
    // (a lock would bring a threads library into the executable).
    std::atomic<JavaVM*> serving_{nullptr};
    std::atomic<bool> closing_{false};
    std::atomic<int> attaching_{0};
    JNIEnv* mainEnv_ = nullptr;
    bool createTried_ = false;
    bool mainThreadAttached_ = false;
    std::thread::id mainThread_;
};
