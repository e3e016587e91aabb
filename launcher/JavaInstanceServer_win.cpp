#include "launcher/JavaInstanceServer_win.h"

#include "jvm/MainClass_jni.h"

void JavaInstanceServer::serveWith(std::shared_ptr<JavaVmOwner> vm, bool keepAttached) {
    AcquireSRWLockExclusive(&lock_);
    vm_ = std::move(vm);
    keepAttached_ = keepAttached;
    ReleaseSRWLockExclusive(&lock_);
}

ServeOutcome JavaInstanceServer::serve(const std::vector<std::wstring>& arguments,
                                       const std::function<void(int)>& reply) {
    AcquireSRWLockShared(&lock_);
    const std::shared_ptr<JavaVmOwner> vm = vm_;
    const bool keepAttached = keepAttached_;
    ReleaseSRWLockShared(&lock_);
    // No VM (Java did not start), or it has been destroyed.
    if (!vm) return ServeOutcome::notServed;
    JNIEnv* env = vm->attachWorker();
    if (env == nullptr) return ServeOutcome::notServed;
    const bool ran = runSecondaryMain(env, mainClass_, arguments, reply);
    if (!keepAttached) vm->detachWorker();
    // Without secondaryMain the application takes no later starts.
    return ran ? ServeOutcome::answered : ServeOutcome::willNotServe;
}
