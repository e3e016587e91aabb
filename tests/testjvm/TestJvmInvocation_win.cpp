// The exports of testjvm.dll and the JavaVM function table. Which exports a
// variant has is chosen by TESTJVM_EXPORT_CREATE, TESTJVM_EXPORT_DEFAULT_ARGS and
// TESTJVM_EXPORT_BOOT_LOADER.

#include "testjvm/TestJvm.h"
#include "testjvm/TestJvmRuntime_win.h"
#include "jvm/JniTypes.h"

#include <cstring>
#include <vector>

namespace testjvm {

namespace {

DWORD threadSlot = TLS_OUT_OF_INDEXES;


void recordLoad(HMODULE module) {
    Record record;
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 4);
    record.add("loaded", std::wstring(path, length));
    record.add("pid", static_cast<long long>(GetCurrentProcessId()));
    record.add("loadThreadId", static_cast<long long>(GetCurrentThreadId()));
#ifdef _WIN64
    record.add("machine", std::string_view("x64"));
#else
    record.add("machine", std::string_view("x86"));
#endif
    record.add("commandLine", std::wstring(GetCommandLineW()));
    for (const wchar_t* name : {L"LQ_JVM_PATH", L"LQ_JVM_HOME", L"Path"}) {
        DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
        if (size == 0) continue;
        std::wstring value(size, L'\0');
        value.resize(GetEnvironmentVariableW(name, value.data(), size));
        record.add("env." + toUtf8(name), value);
    }
}

// The stack reserved for the calling thread: from the bottom of its
// allocation to the top the thread information block names.
std::uintptr_t stackReserve() {
    MEMORY_BASIC_INFORMATION memory{};
    volatile int probe = 0;
    VirtualQuery(const_cast<int*>(&probe), &memory, sizeof memory);
#if defined(__GNUC__)
#pragma GCC diagnostic push
// GCC 12 takes the fs/gs segment read inside NtCurrentTeb for an access to a
// zero-length array when optimising for size.
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    auto* block = reinterpret_cast<NT_TIB*>(NtCurrentTeb());
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return reinterpret_cast<std::uintptr_t>(block->StackBase) -
           reinterpret_cast<std::uintptr_t>(memory.AllocationBase);
}

bool isSupportedVersion(jint version) {
    return version == JNI_VERSION_1_2 || version == JNI_VERSION_1_4 || version == JNI_VERSION_1_6 ||
           version == JNI_VERSION_1_8 || version >= JNI_VERSION_9;
}

void checkVm(JavaVM* vm, const char* function) {
    if (vm != &vmState().vm) fault(std::string(function) + ": not this VM");
}

// Every thread that has attached so far; their environments live until the
// process ends.
SRWLOCK threadsLock = SRWLOCK_INIT;
std::vector<ThreadEnv*> threads;

// As HotSpot's DestroyJavaVM: returns once every other non-daemon thread has
// detached. One that ended while attached never will, and neither does this.
void waitForNonDaemonThreads() {
    for (;;) {
        AcquireSRWLockShared(&threadsLock);
        std::vector<ThreadEnv*> others = threads;
        ReleaseSRWLockShared(&threadsLock);
        bool waiting = false;
        for (ThreadEnv* other : others) {
            if (other->threadId == GetCurrentThreadId() || other->daemon || !other->attached) continue;
            // The flag again after the end: the thread may have detached just before it.
            if (WaitForSingleObject(other->handle, 0) == WAIT_OBJECT_0 && other->attached) {
                Record().add("destroyJavaVm.waitsForEver", static_cast<long long>(other->threadId));
                for (;;) Sleep(INFINITE);
            }
            waiting = true;
        }
        if (!waiting) return;
        Sleep(10);
    }
}

jint JNICALL destroyJavaVm(JavaVM* vm) {
    checkVm(vm, "DestroyJavaVM");
    Record().add("destroyJavaVm", static_cast<long long>(GetCurrentThreadId()));
    waitForNonDaemonThreads();
    jint result = vmState().scenario.destroyResult;
    if (result == JNI_OK) vmState().destroyed = true;
    return result;
}

jint attach(JavaVM* vm, void** env, const char* function, const char* key, bool daemon) {
    checkVm(vm, function);
    Record().add(key, static_cast<long long>(GetCurrentThreadId()));
    if (env == nullptr) fault(std::string(function) + ": null result pointer");
    if (vmState().destroyed) {
        *env = nullptr;
        return JNI_ERR;
    }
    *env = &attachCurrentThread(daemon)->env;
    return JNI_OK;
}

jint JNICALL attachCurrentThreadToVm(JavaVM* vm, void** env, void*) {
    return attach(vm, env, "AttachCurrentThread", "attachCurrentThread", false);
}

jint JNICALL attachCurrentThreadAsDaemon(JavaVM* vm, void** env, void*) {
    return attach(vm, env, "AttachCurrentThreadAsDaemon", "attachCurrentThreadAsDaemon", true);
}

jint JNICALL detachCurrentThread(JavaVM* vm) {
    checkVm(vm, "DetachCurrentThread");
    Record().add("detachCurrentThread", static_cast<long long>(GetCurrentThreadId()));
    ThreadEnv* thread = currentThreadEnv();
    if (thread == nullptr) return JNI_EDETACHED;
    jint result = vmState().scenario.detachResult;
    if (result == JNI_OK) {
        thread->attached = false;
        thread->pending = nullptr;
    }
    return result;
}

jint JNICALL getEnv(JavaVM* vm, void** env, jint version) {
    checkVm(vm, "GetEnv");
    ThreadEnv* thread = currentThreadEnv();
    if (thread == nullptr) {
        *env = nullptr;
        return JNI_EDETACHED;
    }
    if (!isSupportedVersion(version) && version != JNI_VERSION_1_1) {
        *env = nullptr;
        return JNI_EVERSION;
    }
    *env = &thread->env;
    return JNI_OK;
}

}  // namespace

// The work of the exports; defined whether or not a variant exports them.
jint createJavaVm(JavaVM** vm, void** env, void* arguments) {
    if (vm == nullptr || env == nullptr || arguments == nullptr) fault("JNI_CreateJavaVM: null argument");
    VmState& state = vmState();
    const auto* init = static_cast<const JavaVMInitArgs*>(arguments);
    Record record;
    record.addHex("version", static_cast<std::uint32_t>(init->version));
    record.add("ignoreUnrecognized", init->ignoreUnrecognized ? 1 : 0);
    record.add("nOptions", static_cast<long long>(init->nOptions));
    if (init->nOptions > 0 && init->options == nullptr) fault("JNI_CreateJavaVM: no option array");
    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        if (option.optionString == nullptr) fault("JNI_CreateJavaVM: option without text");
        std::string key = "option." + std::to_string(i);
        record.add(key, std::string_view(option.optionString));
        if (std::strcmp(option.optionString, "abort") == 0 || std::strcmp(option.optionString, "exit") == 0) {
            record.add(key + ".hook", std::string_view(option.extraInfo != nullptr ? "yes" : "no"));
        }
    }
    record.add("stackReserve", static_cast<long long>(stackReserve()));
    record.add("threadId", static_cast<long long>(GetCurrentThreadId()));

    jint result = JNI_OK;
    if (state.created) {
        // One VM per process, as with a real runtime.
        result = state.destroyed ? JNI_ERR : JNI_EEXIST;
    } else if (!isSupportedVersion(init->version)) {
        result = JNI_EVERSION;
    } else {
        state.scenario = readScenario();
        result = state.scenario.createResult;
        // A VM that takes its time to start, as a large one does.
        if (state.scenario.createDelayMs > 0) Sleep(state.scenario.createDelayMs);
    }
    record.add("createResult", static_cast<long long>(result));
    *vm = nullptr;
    *env = nullptr;
    if (result != JNI_OK) return result;

    for (jint i = 0; i < init->nOptions; ++i) {
        const JavaVMOption& option = init->options[i];
        if (std::strcmp(option.optionString, "exit") == 0) {
            state.exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
        } else if (std::strcmp(option.optionString, "abort") == 0) {
            state.abortHook = reinterpret_cast<void(JNICALL*)()>(option.extraInfo);
        }
    }
    state.vm.functions = invokeInterface();
    defineClasses(state);
    state.created = true;
    *vm = &state.vm;
    *env = &attachCurrentThread(false)->env;
    return JNI_OK;
}

jint getDefaultJavaVmInitArgs(void* arguments) {
    if (arguments == nullptr) fault("JNI_GetDefaultJavaVMInitArgs: null argument");
    jint version = *static_cast<const jint*>(arguments);
    Record record;
    record.addHex("defaultInitArgs.version", static_cast<std::uint32_t>(version));
    if (version == JNI_VERSION_1_1) {
        auto* block = static_cast<Jdk11InitArgs*>(arguments);
        block->javaStackSize = readScenario().defaultStackSize;
        record.add("defaultInitArgs.javaStackSize", static_cast<long long>(block->javaStackSize));
        return JNI_OK;
    }
    return isSupportedVersion(version) ? JNI_OK : JNI_EVERSION;
}

jclass findClassFromBootLoader(JNIEnv* env, const char* name) {
    auto* thread = reinterpret_cast<ThreadEnv*>(env);
    if (env == nullptr || thread->threadId != GetCurrentThreadId()) {
        fault("JVM_FindClassFromBootLoader: not the calling thread's JNIEnv");
    }
    if (name == nullptr) fault("JVM_FindClassFromBootLoader: null name");
    Record().add("findClassFromBootLoader", std::string_view(name));
    // The boot loader knows the runtime's classes, not the application's.
    const ClassInfo* type = findClassNamed(name);
    if (type == nullptr || type->id == ClassId::application) return nullptr;
    return reinterpret_cast<jclass>(newRef(classObject(type)));
}

VmState& vmState() {
    static VmState state;
    return state;
}

const JNIInvokeInterface_* invokeInterface() {
    static const JNIInvokeInterface_ table = {
        nullptr,
        nullptr,
        nullptr,
        destroyJavaVm,
        attachCurrentThreadToVm,
        detachCurrentThread,
        getEnv,
        attachCurrentThreadAsDaemon,
    };
    return &table;
}

ThreadEnv* currentThreadEnv() {
    auto* thread = static_cast<ThreadEnv*>(TlsGetValue(threadSlot));
    return thread != nullptr && thread->attached ? thread : nullptr;
}

ThreadEnv* attachCurrentThread(bool daemon) {
    auto* thread = static_cast<ThreadEnv*>(TlsGetValue(threadSlot));
    if (thread == nullptr) {
        thread = new ThreadEnv{};
        thread->env.functions = nativeInterface();
        thread->threadId = GetCurrentThreadId();
        thread->handle = OpenThread(SYNCHRONIZE, FALSE, thread->threadId);
        TlsSetValue(threadSlot, thread);
        AcquireSRWLockExclusive(&threadsLock);
        threads.push_back(thread);
        ReleaseSRWLockExclusive(&threadsLock);
    }
    if (!thread->attached) {
        thread->daemon = daemon;
        thread->pending = nullptr;
        thread->attached = true;
    }
    return thread;
}

}  // namespace testjvm

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        testjvm::threadSlot = TlsAlloc();
        testjvm::initializeRecord();
        testjvm::recordLoad(module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded by FreeLibrary, as the tests of this DLL do: leave no file open.
        for (testjvm::Object* stream : testjvm::vmState().fileStreams) CloseHandle(stream->file);
        TlsFree(testjvm::threadSlot);
    }
    return TRUE;
}

extern "C" {

#ifdef TESTJVM_EXPORT_CREATE
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* arguments) {
    return testjvm::createJavaVm(vm, env, arguments);
}
#endif

#ifdef TESTJVM_EXPORT_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    return testjvm::getDefaultJavaVmInitArgs(arguments);
}
#endif

#ifdef TESTJVM_EXPORT_BOOT_LOADER
JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* env, const char* name) {
    return testjvm::findClassFromBootLoader(env, name);
}
#endif

}  // extern "C"
