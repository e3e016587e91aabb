#include "testjvm/TestJvm.h"

#include <gtest/gtest.h>
#include <jni.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

using testjvm::recordValue;
using testjvm::recordValues;
using testjvm::RecordEntry;

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultInitArgs = jint(JNICALL*)(void*);
using FindClassFromBootLoader = jclass(JNICALL*)(JNIEnv*, const char*);

template <typename Function>
Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::wstring exeFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

std::string readFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    result.pop_back();
    return result;
}

void JNICALL exitHook(jint status) {
    std::fprintf(stderr, "exit hook %ld\n", static_cast<long>(status));
    std::fflush(stderr);
}

void JNICALL abortHook() {}

class TestJvm : public ::testing::Test {
protected:
    void SetUp() override {
        // A death test's child process inherits the variable and so shares the
        // folder, which the parent then removes.
        wchar_t parent[32];
        if (GetEnvironmentVariableW(L"TESTJVM_TEST_PROCESS", parent, 32) == 0) {
            SetEnvironmentVariableW(L"TESTJVM_TEST_PROCESS", std::to_wstring(GetCurrentProcessId()).c_str());
            GetEnvironmentVariableW(L"TESTJVM_TEST_PROCESS", parent, 32);
        }
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = std::wstring(temp) + L"testjvm-" + parent + L"-" + std::wstring(name.begin(), name.end()) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        recordPath = folder + L"record.txt";
        scenarioPath = folder + L"scenario.ini";
        SetEnvironmentVariableW(testjvm::recordVariable, recordPath.c_str());
        SetEnvironmentVariableW(testjvm::scenarioVariable, scenarioPath.c_str());
    }

    void TearDown() override {
        for (HMODULE module : modules) FreeLibrary(module);
        SetEnvironmentVariableW(testjvm::recordVariable, nullptr);
        SetEnvironmentVariableW(testjvm::scenarioVariable, nullptr);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    // The scenario's [Vm] lines, stored as UTF-16LE with a byte-order mark.
    void writeScenario(const std::wstring& lines) {
        std::wstring text = L"\xFEFF[Vm]\r\n" + lines;
        writeFile(scenarioPath, std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    }

    // A private copy of the variant, so each test gets a fresh VM.
    HMODULE load(const std::wstring& variant = L"testjvm") {
        std::wstring copy = folder + variant + L".dll";
        EXPECT_TRUE(CopyFileW((exeFolder() + variant + L".dll").c_str(), copy.c_str(), FALSE));
        HMODULE module = LoadLibraryW(copy.c_str());
        EXPECT_NE(module, nullptr) << GetLastError();
        if (module != nullptr) modules.push_back(module);
        return module;
    }

    // Loads testjvm.dll and creates its VM with the two hooks.
    JNIEnv* createVm() {
        HMODULE module = load();
        auto create = entry<CreateJavaVm>(module, "JNI_CreateJavaVM");
        bootLoader = entry<FindClassFromBootLoader>(module, "JVM_FindClassFromBootLoader");
        JavaVMOption options[2] = {{const_cast<char*>("abort"), reinterpret_cast<void*>(abortHook)},
                                   {const_cast<char*>("exit"), reinterpret_cast<void*>(exitHook)}};
        JavaVMInitArgs args{JNI_VERSION_1_2, 2, options, JNI_FALSE};
        JNIEnv* env = nullptr;
        EXPECT_EQ(create(&vm, reinterpret_cast<void**>(&env), &args), JNI_OK);
        return env;
    }

    std::vector<RecordEntry> record() const {
        return testjvm::parseRecord(readFile(recordPath));
    }

    std::wstring folder;
    std::wstring recordPath;
    std::wstring scenarioPath;
    std::vector<HMODULE> modules;
    JavaVM* vm = nullptr;
    FindClassFromBootLoader bootLoader = nullptr;
};

// As the launcher makes a Java string: through the char[] constructor.
jstring javaString(JNIEnv* env, const std::wstring& text) {
    jclass stringClass = env->FindClass("java/lang/String");
    jmethodID init = env->GetMethodID(stringClass, "<init>", "([C)V");
    jcharArray chars = env->NewCharArray(static_cast<jsize>(text.size()));
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
    auto string = static_cast<jstring>(env->NewObject(stringClass, init, chars));
    env->DeleteLocalRef(chars);
    return string;
}

jobjectArray javaStrings(JNIEnv* env, const std::vector<std::wstring>& texts) {
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), env->FindClass("java/lang/String"), nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        jstring string = javaString(env, texts[i]);
        env->SetObjectArrayElement(array, static_cast<jsize>(i), string);
        env->DeleteLocalRef(string);
    }
    return array;
}

std::string utfChars(JNIEnv* env, jstring string) {
    const char* chars = env->GetStringUTFChars(string, nullptr);
    std::string text = chars;
    env->ReleaseStringUTFChars(string, chars);
    return text;
}

TEST_F(TestJvm, VariantsExportTheirEntryPointsUndecorated) {
    struct Variant {
        const wchar_t* name;
        bool create;
        bool bootLoader;
        bool defaultArgs = true;
    };
    for (Variant variant : {Variant{L"testjvm", true, true}, Variant{L"testjvm_noboot", true, false},
                            Variant{L"testjvm_nocreate", false, false},
                            Variant{L"testjvm_nodefaultargs", true, true, false}}) {
        HMODULE module = load(variant.name);
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(GetProcAddress(module, "JNI_CreateJavaVM") != nullptr, variant.create) << variant.name;
        EXPECT_EQ(GetProcAddress(module, "JNI_GetDefaultJavaVMInitArgs") != nullptr, variant.defaultArgs)
            << variant.name;
        EXPECT_EQ(GetProcAddress(module, "JVM_FindClassFromBootLoader") != nullptr, variant.bootLoader) << variant.name;
    }
}

TEST_F(TestJvm, RecordsItsLoading) {
    std::wstring jvmPath = L"C:\\rt\\bin\\client\\jvm.dll \u00e4\u20ac";
    SetEnvironmentVariableW(L"LQ_JVM_PATH", jvmPath.c_str());
    SetEnvironmentVariableW(L"LQ_JVM_HOME", nullptr);
    load();
    SetEnvironmentVariableW(L"LQ_JVM_PATH", nullptr);

    auto entries = record();
    EXPECT_EQ(recordValue(entries, "loaded"), utf8(folder + L"testjvm.dll"));
    EXPECT_EQ(recordValue(entries, "pid"), std::to_string(GetCurrentProcessId()));
    EXPECT_EQ(recordValue(entries, "loadThreadId"), std::to_string(GetCurrentThreadId()));
    EXPECT_EQ(recordValue(entries, "machine"), sizeof(void*) == 8 ? "x64" : "x86");
    EXPECT_EQ(recordValue(entries, "commandLine"), utf8(GetCommandLineW()));
    EXPECT_EQ(recordValue(entries, "env.LQ_JVM_PATH"), utf8(jvmPath));
    EXPECT_FALSE(recordValue(entries, "env.LQ_JVM_HOME"));
    EXPECT_TRUE(recordValue(entries, "env.Path"));
}

TEST_F(TestJvm, AnswersTheDefaultStackSizeInTheOldArgumentBlock) {
    writeScenario(L"DefaultStackSize=2097152\r\n");
    auto getDefaults = entry<GetDefaultInitArgs>(load(L"testjvm_nocreate"), "JNI_GetDefaultJavaVMInitArgs");
    // The JDK 1.1 block: version, properties, checkSource, nativeStackSize, javaStackSize, ...
    union {
        unsigned char bytes[72];
        struct {
            jint version;
            char** properties;
            jint checkSource;
            jint nativeStackSize;
            jint javaStackSize;
        } head;
    } block{};
    block.head.version = JNI_VERSION_1_1;
    EXPECT_EQ(getDefaults(&block), JNI_OK);
    EXPECT_EQ(block.head.javaStackSize, 2097152);
    EXPECT_EQ(block.head.nativeStackSize, 0);
    auto entries = record();
    EXPECT_EQ(recordValue(entries, "defaultInitArgs.version"), "0x00010001");
    EXPECT_EQ(recordValue(entries, "defaultInitArgs.javaStackSize"), "2097152");
}

struct CreateCall {
    CreateJavaVm create;
    jint result = JNI_ERR;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
};

DWORD WINAPI createOnThisThread(void* parameter) {
    auto* call = static_cast<CreateCall*>(parameter);
    char classPath[] = "-Djava.class.path=C:\\a b\\app.jar;C:\\\xE4.jar";
    JavaVMOption options[4] = {{classPath, nullptr},
                               {const_cast<char*>("-Xss4m"), nullptr},
                               {const_cast<char*>("abort"), reinterpret_cast<void*>(abortHook)},
                               {const_cast<char*>("exit"), nullptr}};
    JavaVMInitArgs args{JNI_VERSION_1_2, 4, options, JNI_FALSE};
    call->result = call->create(&call->vm, reinterpret_cast<void**>(&call->env), &args);
    // Else DestroyJavaVM would wait for this thread for ever.
    if (call->result == JNI_OK) call->vm->DetachCurrentThread();
    return 0;
}

TEST_F(TestJvm, RecordsTheCreationOnTheCallingThread) {
    CreateCall call{entry<CreateJavaVm>(load(), "JNI_CreateJavaVM")};
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 4 << 20, createOnThisThread, &call, STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    EXPECT_EQ(call.result, JNI_OK);
    EXPECT_NE(call.vm, nullptr);
    EXPECT_NE(call.env, nullptr);
    auto entries = record();
    EXPECT_EQ(recordValue(entries, "version"), "0x00010002");
    EXPECT_EQ(recordValue(entries, "ignoreUnrecognized"), "0");
    EXPECT_EQ(recordValue(entries, "nOptions"), "4");
    EXPECT_EQ(recordValue(entries, "option.0"), "-Djava.class.path=C:\\a b\\app.jar;C:\\\xE4.jar");
    EXPECT_EQ(recordValue(entries, "option.1"), "-Xss4m");
    EXPECT_FALSE(recordValue(entries, "option.1.hook"));
    EXPECT_EQ(recordValue(entries, "option.2.hook"), "yes");
    EXPECT_EQ(recordValue(entries, "option.3.hook"), "no");
    EXPECT_EQ(recordValue(entries, "stackReserve"), std::to_string(4 << 20));
    EXPECT_EQ(recordValue(entries, "threadId"), std::to_string(threadId));
    EXPECT_EQ(recordValue(entries, "createResult"), "0");

    EXPECT_EQ(call.vm->DestroyJavaVM(), JNI_OK);
    EXPECT_EQ(recordValue(record(), "destroyJavaVm"), std::to_string(GetCurrentThreadId()));
}

// Creates the VM on a thread of its own, which then leaves it after a while
// or ends still attached.
struct Creator {
    CreateJavaVm create;
    bool detach;
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    JavaVM* vm = nullptr;
    std::atomic<bool> leaving{false};
};

DWORD WINAPI createThenLeave(void* parameter) {
    auto* creator = static_cast<Creator*>(parameter);
    JavaVMInitArgs args{JNI_VERSION_1_2, 0, nullptr, JNI_FALSE};
    void* env = nullptr;
    creator->create(&creator->vm, &env, &args);
    SetEvent(creator->created);
    if (creator->detach) {
        Sleep(300);
        creator->leaving = true;
        creator->vm->DetachCurrentThread();
    }
    return 0;
}

DWORD WINAPI attachAsDaemonAndEnd(void* vm) {
    void* env = nullptr;
    static_cast<JavaVM*>(vm)->AttachCurrentThreadAsDaemon(&env, nullptr);
    return 0;
}

DWORD WINAPI attachThenDestroy(void* vm) {
    void* env = nullptr;
    static_cast<JavaVM*>(vm)->AttachCurrentThread(&env, nullptr);
    static_cast<JavaVM*>(vm)->DestroyJavaVM();
    return 0;
}

// Calls DestroyJavaVM on a thread of its own, itself attached; true when the
// call returned within ms.
bool destroyReturnsWithin(JavaVM* vm, DWORD ms) {
    HANDLE thread = CreateThread(nullptr, 0, attachThenDestroy, vm, 0, nullptr);
    if (thread == nullptr) return false;
    bool returned = WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    // A thread blocked in the DLL must not outlive it: it is unloaded after the test.
    if (!returned) TerminateThread(thread, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return returned;
}

TEST_F(TestJvm, DestroyJavaVmWaitsForTheOtherNonDaemonThreadsToDetach) {
    Creator creator{entry<CreateJavaVm>(load(), "JNI_CreateJavaVM"), true};
    HANDLE creatorThread = CreateThread(nullptr, 0, createThenLeave, &creator, 0, nullptr);
    ASSERT_NE(creatorThread, nullptr);
    ASSERT_EQ(WaitForSingleObject(creator.created, 5000), WAIT_OBJECT_0);
    ASSERT_NE(creator.vm, nullptr);
    // A daemon that ended attached does not hold it up, nor does the calling thread.
    HANDLE daemon = CreateThread(nullptr, 0, attachAsDaemonAndEnd, creator.vm, 0, nullptr);
    ASSERT_NE(daemon, nullptr);
    WaitForSingleObject(daemon, INFINITE);

    EXPECT_TRUE(destroyReturnsWithin(creator.vm, 5000))
        << "waits for ever for thread " << recordValue(record(), "destroyJavaVm.waitsForEver").value_or("?");
    EXPECT_TRUE(creator.leaving);
    WaitForSingleObject(creatorThread, INFINITE);
    for (HANDLE handle : {creatorThread, daemon, creator.created}) CloseHandle(handle);
}

TEST_F(TestJvm, DestroyJavaVmBlocksForEverOnAThreadThatEndedAttached) {
    Creator creator{entry<CreateJavaVm>(load(), "JNI_CreateJavaVM"), false};
    DWORD creatorId = 0;
    HANDLE creatorThread = CreateThread(nullptr, 0, createThenLeave, &creator, 0, &creatorId);
    ASSERT_NE(creatorThread, nullptr);
    WaitForSingleObject(creatorThread, INFINITE);
    ASSERT_NE(creator.vm, nullptr);

    EXPECT_FALSE(destroyReturnsWithin(creator.vm, 1000));
    EXPECT_EQ(recordValue(record(), "destroyJavaVm.waitsForEver"), std::to_string(creatorId));
    for (HANDLE handle : {creatorThread, creator.created}) CloseHandle(handle);
}

TEST_F(TestJvm, FailsCreationWithTheScenarioResultAndCreatesOneVmOnly) {
    writeScenario(L"CreateResult=-6\r\n");
    auto create = entry<CreateJavaVm>(load(), "JNI_CreateJavaVM");
    JavaVMInitArgs args{JNI_VERSION_1_2, 0, nullptr, JNI_FALSE};
    JavaVM* created = reinterpret_cast<JavaVM*>(1);
    void* env = nullptr;
    EXPECT_EQ(create(&created, &env, &args), JNI_EINVAL);
    EXPECT_EQ(created, nullptr);

    writeScenario(L"");
    EXPECT_EQ(create(&created, &env, &args), JNI_OK);
    EXPECT_EQ(create(&created, &env, &args), JNI_EEXIST);
    EXPECT_EQ(recordValues(record(), "createResult"), (std::vector<std::string>{"-6", "0", "-5"}));
}

TEST_F(TestJvm, CallsMainThroughLauncherHelperWithEveryCharacter) {
    JNIEnv* env = createVm();
    ASSERT_NE(env, nullptr);
    jclass helper = bootLoader(env, "sun/launcher/LauncherHelper");
    ASSERT_NE(helper, nullptr);
    jmethodID check = env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    ASSERT_NE(check, nullptr);
    auto mainClass = static_cast<jclass>(env->CallStaticObjectMethod(helper, check, JNI_TRUE, 1, javaString(env, L"com.example.App")));
    ASSERT_NE(mainClass, nullptr);
    jmethodID main = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    ASSERT_NE(main, nullptr);

    std::vector<std::wstring> arguments{L"plain", L"Gr\u00fc\u00dfe \u20ac", L"\U0001F600", L""};
    env->CallStaticVoidMethod(mainClass, main, javaStrings(env, arguments));
    // The table's own variadic entry, as a C caller reaches it.
    env->functions->CallStaticVoidMethod(env, mainClass, main, javaStrings(env, {}));
    EXPECT_FALSE(env->ExceptionCheck());

    auto entries = record();
    EXPECT_EQ(recordValue(entries, "findClassFromBootLoader"), "sun/launcher/LauncherHelper");
    EXPECT_EQ(recordValue(entries, "checkAndLoadMain"), "1,1,com.example.App");
    EXPECT_EQ(recordValue(entries, "getStaticMethodID"),
              "sun/launcher/LauncherHelper.checkAndLoadMain(ZILjava/lang/String;)Ljava/lang/Class;");
    EXPECT_EQ(recordValue(entries, "main"), std::to_string(GetCurrentThreadId()));
    EXPECT_EQ(recordValues(entries, "mainArgs.count"), (std::vector<std::string>{"4", "0"}));
    EXPECT_EQ(recordValue(entries, "mainArgs.0"), "plain");
    EXPECT_EQ(recordValue(entries, "mainArgs.1"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
    EXPECT_EQ(recordValue(entries, "mainArgs.2"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(recordValue(entries, "mainArgs.3"), "");
    EXPECT_FALSE(recordValue(entries, "pendingExceptionAt"));
}

DWORD WINAPI attachAndFindAClass(void* vm) {
    JNIEnv* env = nullptr;
    static_cast<JavaVM*>(vm)->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
    env->FindClass("java/lang/Object");
    static_cast<JavaVM*>(vm)->DetachCurrentThread();
    return 0;
}

TEST_F(TestJvm, CountsTheLocalReferencesTheCallerHoldsWhenMainIsCalled) {
    JNIEnv* env = createVm();
    jclass app = env->FindClass("com/example/App");
    jmethodID main = env->GetStaticMethodID(app, "main", "([Ljava/lang/String;)V");
    jobjectArray arguments = env->NewObjectArray(0, env->FindClass("java/lang/String"), nullptr);
    for (int i = 0; i < 5; ++i) env->DeleteLocalRef(env->FindClass("java/lang/Object"));
    jclass kept = env->FindClass("java/lang/Object");
    // Another thread's references are its own.
    HANDLE other = CreateThread(nullptr, 0, attachAndFindAClass, vm, 0, nullptr);
    ASSERT_NE(other, nullptr);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);

    env->CallStaticVoidMethod(app, main, arguments);
    env->DeleteLocalRef(kept);
    env->CallStaticVoidMethod(app, main, arguments);
    EXPECT_EQ(recordValues(record(), "mainLiveLocalRefs"), (std::vector<std::string>{"4", "3"}));
}

TEST_F(TestJvm, FindsOnlyTheScenarioClassesAndMethods) {
    writeScenario(L"MainClass=org/demo/Tool\r\nHasMain=no\r\nLauncherHelper=no\r\n");
    JNIEnv* env = createVm();
    EXPECT_EQ(bootLoader(env, "sun/launcher/LauncherHelper"), nullptr);
    EXPECT_FALSE(env->ExceptionCheck());

    EXPECT_EQ(env->FindClass("org.demo.Tool"), nullptr);
    ASSERT_NE(env->ExceptionOccurred(), nullptr);
    env->ExceptionDescribe();
    EXPECT_FALSE(env->ExceptionCheck());

    jclass tool = env->FindClass("org/demo/Tool");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(env->GetStaticMethodID(tool, "main", "([Ljava/lang/String;)V"), nullptr);
    EXPECT_TRUE(env->ExceptionCheck());

    auto entries = record();
    EXPECT_EQ(recordValues(entries, "findClass"), (std::vector<std::string>{"org.demo.Tool", "org/demo/Tool"}));
    EXPECT_EQ(recordValue(entries, "exceptionDescribe"), "java.lang.NoClassDefFoundError: org.demo.Tool\r\n");
    EXPECT_EQ(recordValue(entries, "getStaticMethodID"), "org/demo/Tool.main([Ljava/lang/String;)V");
}

TEST_F(TestJvm, MainThrowsTheScenarioTraceForPrintStackTrace) {
    writeScenario(L"Main=throw\r\nThrowText=java.lang.RuntimeException: \u00fcber \\u00e4\\r\\n\\tat X.main(X.java:1)\\r\\n\r\n");
    JNIEnv* env = createVm();
    jclass app = env->FindClass("com/example/App");
    env->CallStaticVoidMethod(app, env->GetStaticMethodID(app, "main", "([Ljava/lang/String;)V"), javaStrings(env, {}));
    jthrowable thrown = env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);
    env->ExceptionClear();

    jclass bufferClass = env->FindClass("java/io/ByteArrayOutputStream");
    jobject buffer = env->NewObject(bufferClass, env->GetMethodID(bufferClass, "<init>", "()V"));
    jclass printClass = env->FindClass("java/io/PrintStream");
    jobject print = env->NewObject(printClass, env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), buffer);
    jclass thrownClass = env->GetObjectClass(thrown);
    env->CallVoidMethod(thrown, env->GetMethodID(thrownClass, "printStackTrace", "(Ljava/io/PrintStream;)V"), print);
    auto text = static_cast<jstring>(env->CallObjectMethod(buffer, env->GetMethodID(bufferClass, "toString", "()Ljava/lang/String;")));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(utfChars(env, text), "java.lang.RuntimeException: \xC3\xBC" "ber \xC3\xA4\r\n\tat X.main(X.java:1)\r\n");
    auto lookups = recordValues(record(), "getMethodID");
    EXPECT_NE(std::find(lookups.begin(), lookups.end(),
                        "java/lang/RuntimeException.printStackTrace(Ljava/io/PrintStream;)V"),
              lookups.end());
}

TEST_F(TestJvm, GivesModifiedUtf8) {
    JNIEnv* env = createVm();
    jstring string = javaString(env, std::wstring(L"a\0\u00e9\U0001F600", 5));
    EXPECT_EQ(env->GetStringUTFLength(string), 11);
    EXPECT_EQ(utfChars(env, string), "a\xC0\x80\xC3\xA9\xED\xA0\xBD\xED\xB8\x80");
}

// As the launcher redirects a standard stream.
bool redirect(JNIEnv* env, const char* setter, const std::wstring& path, bool append) {
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jobject file = env->NewObject(fileClass, env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V"),
                                  javaString(env, path), append ? JNI_TRUE : JNI_FALSE);
    if (file == nullptr) return false;
    jclass printClass = env->FindClass("java/io/PrintStream");
    jobject print = env->NewObject(printClass, env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), file);
    jclass system = env->FindClass("java/lang/System");
    env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V"), print);
    return !env->ExceptionCheck();
}

TEST_F(TestJvm, RedirectedStreamsAppendOrTruncate) {
    writeScenario(L"Main=print\r\nStdoutLine=out \u00fc\r\nStderrLine=err\\u00e4\r\n");
    std::wstring outFile = folder + L"out.log";
    std::wstring errFile = folder + L"err \u00f6.log";
    writeFile(outFile, "old\r\n");
    writeFile(errFile, "old\r\n");
    JNIEnv* env = createVm();
    ASSERT_TRUE(redirect(env, "setOut", outFile, true));
    ASSERT_TRUE(redirect(env, "setErr", errFile, false));
    jclass app = env->FindClass("com/example/App");
    env->CallStaticVoidMethod(app, env->GetStaticMethodID(app, "main", "([Ljava/lang/String;)V"), javaStrings(env, {}));
    env->FindClass("no/Such");
    env->ExceptionDescribe();

    EXPECT_EQ(readFile(outFile), "old\r\nout \xC3\xBC\r\n");
    EXPECT_EQ(readFile(errFile), "err\xC3\xA4\r\njava.lang.NoClassDefFoundError: no/Such\r\n");
    auto entries = record();
    EXPECT_EQ(recordValue(entries, "setOut"), utf8(outFile));
    EXPECT_EQ(recordValue(entries, "setOut.append"), "1");
    EXPECT_EQ(recordValue(entries, "setErr"), utf8(errFile));
    EXPECT_EQ(recordValue(entries, "setErr.append"), "0");
}

TEST_F(TestJvm, UnopenableFileGivesFileNotFoundExceptionNamingIt) {
    JNIEnv* env = createVm();
    std::wstring path = folder + L"missing\\out.log";
    EXPECT_FALSE(redirect(env, "setOut", path, false));
    env->ExceptionDescribe();
    auto described = recordValue(record(), "exceptionDescribe");
    ASSERT_TRUE(described);
    EXPECT_EQ(described->rfind("java.io.FileNotFoundException: " + utf8(path) + " (", 0), 0u) << *described;
    EXPECT_TRUE(recordValue(record(), "fileOutputStream.error"));
}

// As the launcher asks LauncherHelper for the main class.
jclass checkAndLoadMain(JNIEnv* env, FindClassFromBootLoader bootLoader, const std::wstring& name,
                        jboolean toStderr = JNI_TRUE) {
    jclass helper = bootLoader(env, "sun/launcher/LauncherHelper");
    jmethodID check = env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    return static_cast<jclass>(env->CallStaticObjectMethod(helper, check, toStderr, 1, javaString(env, name)));
}

TEST_F(TestJvm, CheckAndLoadMainEndsTheProcessForAClassItCannotUse) {
    struct Case {
        const wchar_t* scenario;
        const char* setter;
        jboolean toStderr;
        std::string text;
    };
    const Case cases[] = {
        {L"MainClass=com/example/Other\r\n", "setErr", JNI_TRUE,
         "Error: Could not find or load main class com.example.App\r\n"
         "Caused by: java.lang.ClassNotFoundException: com.example.App\r\n"},
        {L"HasMain=no\r\n", "setOut", JNI_FALSE,
         "Error: Main method not found in class com.example.App, please define the main method as:\r\n"
         "   public static void main(String[] args)\r\n"
         "or a JavaFX application class must extend javafx.application.Application\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setter);
        writeScenario(c.scenario);
        std::wstring stream = folder + (c.toStderr ? L"err.log" : L"out.log");
        EXPECT_EXIT(
            {
                JNIEnv* env = createVm();
                redirect(env, c.setter, stream, false);
                checkAndLoadMain(env, bootLoader, L"com.example.App", c.toStderr);
            },
            ::testing::ExitedWithCode(1), "exit hook 1");
        EXPECT_EQ(readFile(stream), c.text);
    }
    // Other runtimes answer null, with or without an exception.
    writeScenario(L"CheckAndLoadMain=null\r\nHasMain=no\r\n");
    JNIEnv* env = createVm();
    EXPECT_NE(checkAndLoadMain(env, bootLoader, L"com.example.App"), nullptr);
    EXPECT_EQ(checkAndLoadMain(env, bootLoader, L"com/example/App"), nullptr);
    EXPECT_TRUE(env->ExceptionCheck());
    env->ExceptionClear();
}

TEST_F(TestJvm, ReportsAnUnexpectedJniFunction) {
    EXPECT_EXIT(
        {
            JNIEnv* env = createVm();
            env->NewStringUTF("x");
        },
        ::testing::ExitedWithCode(98),
        "slot " + std::to_string(offsetof(JNINativeInterface_, NewStringUTF) / sizeof(void*)));
    EXPECT_EQ(recordValue(record(), "unexpected"),
              std::to_string(offsetof(JNINativeInterface_, NewStringUTF) / sizeof(void*)));
}

TEST_F(TestJvm, ReportsAReferenceUsedAfterDeletion) {
    EXPECT_EXIT(
        {
            JNIEnv* env = createVm();
            jstring string = javaString(env, L"x");
            env->DeleteLocalRef(string);
            env->GetStringUTFLength(string);
        },
        ::testing::ExitedWithCode(97), "after DeleteLocalRef");
    EXPECT_EQ(recordValue(record(), "fault"), "GetStringUTFLength: reference used after DeleteLocalRef");
}

TEST_F(TestJvm, MainExitsThroughTheExitHook) {
    writeScenario(L"Main=exit:7\r\n");
    EXPECT_EXIT(
        {
            JNIEnv* env = createVm();
            jclass app = env->FindClass("com/example/App");
            env->CallStaticVoidMethod(app, env->GetStaticMethodID(app, "main", "([Ljava/lang/String;)V"),
                                      javaStrings(env, {}));
        },
        ::testing::ExitedWithCode(7), "exit hook 7");
    auto entries = record();
    EXPECT_EQ(recordValue(entries, "mainArgs.count"), "0");
    EXPECT_EQ(recordValue(entries, "systemExit"), "7");
    EXPECT_EQ(recordValue(entries, "exitHook"), "7");
}

}  // namespace
