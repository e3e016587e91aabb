#include "launcher/JavaInstanceServer_win.h"

#include "jvm/MainClass_jni.h"

void JavaInstanceServer::serveWith(std::shared_ptr<JavaVmOwner> vm, bool keepAttached) {
    AcquireSRWLockExclusive(&lock_);
    vm_ = std::move(vm);
    keepAttached_ = keepAttached;
    ReleaseSRWLockExclusive(&lock_);
}

void JavaInstanceServer::serve(const std::vector<std::wstring>& arguments, const std::function<void(int)>& reply) {
    AcquireSRWLockShared(&lock_);
    const std::shared_ptr<JavaVmOwner> vm = vm_;
    const bool keepAttached = keepAttached_;
    ReleaseSRWLockShared(&lock_);
    if (!vm) return;
    JNIEnv* env = vm->attachWorker();
    if (env == nullptr) return;
    runSecondaryMain(env, mainClass_, arguments, reply);
    if (!keepAttached) vm->detachWorker();
}
