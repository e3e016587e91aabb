#include "jvm/JniErrors.h"
#include "jvm/MainClass_jni.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/Launcher_win.h"
#include "launcher/MessageText.h"
#include "resources/resource.h"

#include <windows.h>

namespace {

// The VM calls these on System.exit and on a fatal error; returning lets it
// carry out its own exit or abort, so the process ends with Java's status.
void JNICALL exitHook(jint) {}
void JNICALL abortHook() {}

// The launcher as the main-class invocation sees it.
class LauncherJavaHost : public JavaMainHost {
public:
    explicit LauncherJavaHost(Launcher& launcher) : launcher_(launcher) {}

    void reportError(unsigned messageId, const std::wstring& argument) override {
        showFormattedError(launcher_.messageOwner, loadText(messageId), argument);
    }
    void mainStarting() override {}
    void closeSplash() override {}
    bool showUncaughtException(jthrowable, JNIEnv*) override {
        // No exception dialog in this build: the application carries on, as
        // without the exception check.
        return false;
    }
    void parkForever() override { Sleep(INFINITE); }

private:
    Launcher& launcher_;
};

DWORD WINAPI javaMainThreadEntry(void* launcher) noexcept {
    return static_cast<DWORD>(static_cast<Launcher*>(launcher)->javaMainThread());
}

}  // namespace

std::uint32_t Launcher::defaultThreadStackSize() {
    Jdk11InitArgs args = {};
    args.version = JNI_VERSION_1_1;
    getDefaultInitArgsEntry(&args);
    return args.javaStackSize > 0 ? static_cast<std::uint32_t>(args.javaStackSize) : 0;
}

int Launcher::startJavaMainThread() {
    if (threadStackSize == 0) threadStackSize = defaultThreadStackSize();
    // "-Xss" asks for a reservation: committing it all at once would waste
    // memory, and Windows rounds a small commit size up to the default.
    HANDLE thread = CreateThread(nullptr, threadStackSize, javaMainThreadEntry, this,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) return javaMainThread();
    WaitForSingleObject(thread, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    return static_cast<int>(exitCode);
}

int Launcher::javaMainThread() {
    if (!createJavaVm()) return 1;
    MainClassRequest request;
    request.mainClass = settings.mainClass;
    request.arguments = arguments;
    request.findClassFromBootLoader = findClassFromBootLoaderEntry;
    request.failureCheck = settings.failureCheck;
    request.keepThreadAlive = settings.ibmAllowed || settings.ibmPreferred;
    LauncherJavaHost host(*this);
    if (!runMainClass(jniEnv, javaVm, request, host)) return 1;
    // A service's VM ends with its main method; an application's VM lives
    // until its last window closes, in the teardown.
    if (settings.isService && javaVm != nullptr) {
        javaVm->DestroyJavaVM();
        javaVm = nullptr;
    }
    return 0;
}

bool Launcher::createJavaVm() {
    std::vector<JavaVMOption> options;
    options.reserve(vmOptions.size() + 2);
    for (std::string& option : vmOptions) options.push_back(JavaVMOption{&option[0], nullptr});
    static char abortName[] = "abort";
    static char exitName[] = "exit";
    options.push_back(JavaVMOption{abortName, reinterpret_cast<void*>(&abortHook)});
    options.push_back(JavaVMOption{exitName, reinterpret_cast<void*>(&exitHook)});

    JavaVMInitArgs args = {};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    jint result = createJavaVMEntry(&javaVm, reinterpret_cast<void**>(&jniEnv), &args);
    if (result != JNI_OK) {
        javaVm = nullptr;
        unsigned reason = jniReasonMessageId(result);
        showError(messageOwner, formatText(loadText(IDS_JNI_ERROR),
                                           {loadText(IDS_CANNOT_CREATE_VM),
                                            reason ? loadText(reason) : std::wstring()}));
        return false;
    }
    applyStreamRedirection();
    return true;
}
