#include "jvm/JavaVm_jni.h"

#include "util/Trace.h"

namespace {

// The VM calls these on System.exit and on a fatal error; returning lets it
// carry out its own exit or abort, so the process ends with Java's status.
void JNICALL exitHook(jint code) {
    if (tracing()) trace(L"exit code " + std::to_wstring(code) + L" (System.exit)");
}
void JNICALL abortHook() {}

}  // namespace

std::uint32_t JavaVmOwner::defaultThreadStackSize() const {
    if (entryPoints_.getDefaultInitArgs == nullptr) return 0;
    Jdk11InitArgs args = {};
    args.version = JNI_VERSION_1_1;
    entryPoints_.getDefaultInitArgs(&args);
    return args.javaStackSize > 0 ? static_cast<std::uint32_t>(args.javaStackSize) : 0;
}

jint JavaVmOwner::create(const std::vector<std::string>& options) {
    if (createTried_ || entryPoints_.createJavaVm == nullptr) return JNI_EEXIST;
    createTried_ = true;

    std::vector<std::string> texts = options;
    std::vector<JavaVMOption> list;
    list.reserve(texts.size() + 2);
    for (std::string& option : texts) list.push_back(JavaVMOption{&option[0], nullptr});
    static char abortName[] = "abort";
    static char exitName[] = "exit";
    list.push_back(JavaVMOption{abortName, reinterpret_cast<void*>(&abortHook)});
    list.push_back(JavaVMOption{exitName, reinterpret_cast<void*>(&exitHook)});

    JavaVMInitArgs args = {};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(list.size());
    args.options = list.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    const jint result = entryPoints_.createJavaVm(&vm, reinterpret_cast<void**>(&env), &args);
    if (result != JNI_OK) return result;
    vm_ = vm;
    serving_ = vm;
    mainEnv_ = env;
    mainThreadAttached_ = true;
    mainThread_ = std::this_thread::get_id();
    return JNI_OK;
}

jint JavaVmOwner::detachMainThread() {
    if (vm_ == nullptr || !mainThreadAttached_) return JNI_EDETACHED;
    const jint result = vm_->DetachCurrentThread();
    if (result == JNI_OK) {
        mainThreadAttached_ = false;
        mainEnv_ = nullptr;
    }
    return result;
}

void JavaVmOwner::destroy() {
    if (vm_ == nullptr) return;
    if (mainThreadAttached_ && mainThread_ != std::this_thread::get_id()) return;
    JavaVM* vm = vm_;
    vm_ = nullptr;
    mainEnv_ = nullptr;
    // Workers attach while DestroyJavaVM waits for the application's last
    // non-daemon thread (a windowed application's main has long returned),
    // and keep it waiting until they have left. Once it has returned the
    // runtime refuses them; from then on none is let through at all.
    vm->DestroyJavaVM();
    closing_ = true;
    while (attaching_ != 0) std::this_thread::yield();
    serving_ = nullptr;
}

JNIEnv* JavaVmOwner::attachWorker() {
    JavaVM* vm = serving_;
    if (vm == nullptr) return nullptr;
    ++attaching_;
    JNIEnv* env = nullptr;
    const bool attached =
        !closing_ && vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK;
    --attaching_;
    return attached ? env : nullptr;
}

void JavaVmOwner::detachWorker() {
    if (JavaVM* vm = serving_) vm->DetachCurrentThread();
}

bool JavaVmOwner::exitApplication(int status) {
    JNIEnv* env = attachWorker();
    if (env == nullptr) return false;
    jclass system = env->FindClass("java/lang/System");
    jmethodID exitMethod = system != nullptr ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
    if (exitMethod != nullptr) env->CallStaticVoidMethod(system, exitMethod, status);
    // Only when the application refuses to end (a security manager).
    if (env->ExceptionCheck()) env->ExceptionClear();
    if (system != nullptr) env->DeleteLocalRef(system);
    detachWorker();
    return exitMethod != nullptr;
}
