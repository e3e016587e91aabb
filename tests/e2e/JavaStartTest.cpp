// The Java start as the runtime sees it: the launcher is started with a
// stand-in jvm.dll as its runtime, which records the options, the thread, the
// class lookups and the arguments it is given, and plays the application.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "testjvm/TestJvm.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using testjvm::RecordEntry;
using testjvm::recordValue;
using testjvm::recordValues;

const DWORD kLauncherFailed = 0xFFFFFFFF;
const std::wstring kMainClassKeys = L"Main Class=com.example.App\n";

std::string u8(const std::wstring& text) { return toUtf8(text); }



bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring environmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, &value[0], size));
    return value;
}

// File names in a folder in the order in which the file system lists them.
std::vector<std::wstring> listFolder(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

std::wstring yyyyMMdd(const SYSTEMTIME& time) {
    auto twoDigits = [](unsigned n) { return std::wstring(n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(time.wYear) + twoDigits(time.wMonth) + twoDigits(time.wDay);
}

// An installed application whose runtime is the stand-in: the launcher copy
// in App\, the runtime home in Runtime\, one jar in App\lib, and the
// stand-in's scenario and record files beside them.
class JavaApp {
public:
    explicit JavaApp(StandIn variant = StandIn::full) {
        if (!app.valid()) {
            problem = u8(app.error());
            return;
        }
        home = app.root() + L"\\Runtime";
        recordPath = app.root() + L"\\record.txt";
        scenarioPath = app.root() + L"\\scenario.ini";
        if (!makeRuntimeHome(home, VmKind::client, variant)) {
            problem = "the stand-in runtime could not be laid out (not built?)";
            return;
        }
        if (!createFolderTree(app.appPath() + L"\\lib") || !writeFileBytes(app.appPath() + L"\\lib\\app.jar", "")) {
            problem = "cannot create the lib folder";
        }
    }

    bool ready() const { return problem.empty(); }

    // The configuration: the runtime section names the main class and the
    // stand-in's home, then runtimeKeys; the class path is \lib\*.jar unless
    // sections bring a [Class Path] of their own.
    bool configure(const std::wstring& runtimeKeys, const std::wstring& sections = L"") const {
        std::wstring text = L"[Java Runtime Environment]\n" + kMainClassKeys + L"JRE Path=" + home + L"\n" +
                            runtimeKeys;
        if (sections.find(L"[Class Path]") == std::wstring::npos) text += L"[Class Path]\nClass Path=\\lib\\*.jar\n";
        return app.writeIni(text + sections);
    }

    // What the stand-in is to do, as [Vm] keys.
    bool scenario(const std::wstring& keys) const {
        return AppFolder::writeUtf16File(scenarioPath, L"[Vm]\n" + keys);
    }

    RunResult start(const std::wstring& arguments = L"") {
        RunOptions options;
        options.arguments = arguments;
        options.appData = app.appDataPath();
        options.environment = environment;
        options.environment.emplace_back(testjvm::recordVariable, recordPath);
        options.environment.emplace_back(testjvm::scenarioVariable, scenarioPath);
        RunResult run = runProgram(app.exePath(), options);
        record = testjvm::parseRecord(readFileBytes(recordPath));
        return run;
    }

    std::string value(const std::string& key) const { return recordValue(record, key).value_or("<none>"); }
    bool has(const std::string& key) const { return recordValue(record, key).has_value(); }

    // The option list JNI_CreateJavaVM was given.
    std::vector<std::string> options() const {
        std::vector<std::string> list;
        int count = std::atoi(value("nOptions").c_str());
        for (int i = 0; i < count; ++i) list.push_back(value("option." + std::to_string(i)));
        return list;
    }

    std::vector<std::string> mainArguments() const {
        std::vector<std::string> list;
        int count = std::atoi(value("mainArgs.count").c_str());
        for (int i = 0; i < count; ++i) list.push_back(value("mainArgs." + std::to_string(i)));
        return list;
    }

    std::string recordText() const {
        std::string text;
        for (const RecordEntry& entry : record) text += "\n  " + entry.key + "=" + entry.value;
        return text;
    }

    AppFolder app;
    std::wstring home;
    std::wstring recordPath;
    std::wstring scenarioPath;
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    std::vector<RecordEntry> record;
    std::string problem;
};

#define ASSERT_READY(javaApp) ASSERT_TRUE((javaApp).ready()) << (javaApp).problem

// The launcher used JNI as the runtime expects: no call with an exception
// pending, no call it has no business making, no stale reference.
void expectNoMisuse(const JavaApp& java) {
    for (const char* key : {"pendingExceptionAt", "unexpected", "fault"})
        EXPECT_FALSE(java.has(key)) << key << java.recordText();
}

// A start that ran main and ended normally: no dialog, exit code 0.
void expectCleanRun(const RunResult& run, const JavaApp& java) {
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run) << java.recordText();
    EXPECT_TRUE(java.has("main")) << "main was not called" << java.recordText();
    expectNoMisuse(java);
}

// One error box with exactly text, then the launcher ends with -1.
void expectOneBoxThenFailure(const RunResult& run, const std::wstring& text, const JavaApp& java) {
    ASSERT_TRUE(run.started) << "CreateProcessW error " << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run) << java.recordText();
    EXPECT_TRUE(run.dialogs[0].messageBox);
    EXPECT_EQ(run.dialogs[0].text, text) << u8(run.dialogs[0].text);
    EXPECT_EQ(run.dialogs[0].caption, defaultErrorCaption()) << u8(run.dialogs[0].caption);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    expectNoMisuse(java);
}

}  // namespace

// ---------------------------------------------------------------------------
// The option list

TEST(JavaStartOptions, RealisticConfigurationGivesTheWholeListInOrder) {
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring& appPath = java.app.appPath();
    for (const wchar_t* jar : {L"zeta.jar", L"alpha.jar", L"mid.jar"})
        ASSERT_TRUE(writeFileBytes(appPath + L"\\lib\\" + jar, ""));
    ASSERT_TRUE(writeFileBytes(appPath + L"\\lib\\readme.txt", "not a jar"));
    const std::wstring nativeFolder = java.app.root() + L"\\native";
    ASSERT_TRUE(java.configure(
        L"Library Path=" + nativeFolder + L"\n"
        L"System Path=C:\\tools\n"
        L"Virtual Machine Parameters=-Xmx10p -Dapp.title=\"Mein Programm\" -Xss512k "
        L"-Dapp.home=\"%LQ_JVM_HOME%\" -Dapp.mode=%JS_APP_MODE%\n",
        L"[Class Path]\nClass Path=\\lib\\*.jar;C:\\shared\\util.jar\n"
        L"[Application]\nEmbedded Jar=yes\n"));
    ASSERT_TRUE(java.scenario(L""));
    java.environment = {{L"JS_APP_MODE", L"schnell"}};
    const std::wstring oldPath = environmentValue(L"Path");
    ASSERT_FALSE(oldPath.empty());

    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));

    RunResult run = java.start();
    expectCleanRun(run, java);

    const std::wstring jvmPath = jvmPathIn(java.home, VmKind::client);
    EXPECT_EQ(java.value("env.LQ_JVM_PATH"), u8(jvmPath));
    EXPECT_EQ(java.value("env.LQ_JVM_HOME"), u8(java.home));
    EXPECT_EQ(java.value("env.Path"), u8(L"C:\\tools;" + oldPath + L";" + java.home + L"\\bin"));

    std::wstring classPath = java.app.exePath() + L";";
    for (const std::wstring& jar : listFolder(appPath + L"\\lib\\*.jar")) classPath += appPath + L"\\lib\\" + jar + L";";
    classPath += L"C:\\shared\\util.jar;";

    std::vector<std::string> options = java.options();
    ASSERT_EQ(options.size(), 9u) << java.recordText();
    EXPECT_EQ(options[0], u8(L"-Djava.library.path=" + nativeFolder + L";" + appPath + L"\\;.;" + oldPath + L";" +
                             java.home + L"\\lib"));
    EXPECT_EQ(options[1], u8(L"-Djava.class.path=" + classPath));

    // 10 % of the machine's physical memory, in KiB; a 32-bit launcher
    // counts at most 2 GiB of it.
    ASSERT_EQ(options[2].rfind("-Xmx", 0), 0u) << options[2];
    ASSERT_EQ(options[2].back(), 'K') << options[2];
    double heapKiB = std::strtod(options[2].c_str() + 4, nullptr);
    std::uint64_t base = memory.ullTotalPhys;
    if (sizeof(void*) == 4) base = std::min<std::uint64_t>(base, 2ull << 30);
    double expectedKiB = static_cast<double>(base >> 10) / 10.0;
    EXPECT_GT(heapKiB, 10.0 * 1024) << options[2];
    EXPECT_NEAR(heapKiB, expectedKiB, 1.0) << options[2];

    EXPECT_EQ(options[3], "-Dapp.title=Mein Programm");
    EXPECT_EQ(options[4], "-Xss512k");
    EXPECT_EQ(options[5], "-Dapp.home=" + u8(java.home));
    EXPECT_EQ(options[6], "-Dapp.mode=schnell");
    EXPECT_EQ(options[7], "abort");
    EXPECT_EQ(java.value("option.7.hook"), "yes");
    EXPECT_EQ(options[8], "exit");
    EXPECT_EQ(java.value("option.8.hook"), "yes");

    EXPECT_EQ(java.value("version"), "0x00010002");
    EXPECT_EQ(java.value("ignoreUnrecognized"), "0");
}

TEST(JavaStartOptions, LongClassPathKeepsEveryJar) {
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring lib = java.app.appPath() + L"\\lib\\";
    // Well over 32,767 characters of class path: 400 jars with long names.
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(writeFileBytes(lib + L"an-application-module-with-a-rather-long-descriptive-name-" + std::to_wstring(1000 + i) +
                                   L".jar",
                               ""));
    }
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(L""));
    RunResult run = java.start();
    expectCleanRun(run, java);

    std::wstring classPath;
    for (const std::wstring& jar : listFolder(lib + L"*.jar")) classPath += lib + jar + L";";
    ASSERT_GT(classPath.size(), 40000u);
    const std::string expected = "-Djava.class.path=" + u8(classPath);
    const std::string option = java.value("option.0");
    // Compared whole but not printed whole: both are tens of thousands of characters.
    EXPECT_TRUE(option == expected)
        << "the class path option has " << option.size() << " characters instead of " << expected.size()
        << "; it ends with \"" << option.substr(option.size() > 60 ? option.size() - 60 : 0)
        << "\": jars were dropped and the last entry was cut";
}

TEST(JavaStartOptions, EmptyClassPathIsReportedAndTheStartGoesOn) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L"Virtual Machine Parameters=-Dnot.used=1\n",
                               L"[Class Path]\nClass Path=\\nothing\\*.jar\n"
                               L"[Application]\nCmd=not-appended\nOutput File=" +
                                   java.app.root() + L"\\out.log\n"));
    ASSERT_TRUE(java.scenario(L"Main=print"));

    RunResult run = java.start();
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_EQ(run.dialogs[0].text, L"Java-Klassenpfad wurde in der INI-Datei nicht angegeben.");
    // Only the hooks: nothing after the class path was read.
    EXPECT_EQ(java.options(), (std::vector<std::string>{"abort", "exit"})) << java.recordText();
    EXPECT_EQ(java.value("checkAndLoadMain"), "1,1,com.example.App");
    EXPECT_EQ(java.value("mainArgs.count"), "0");
    EXPECT_FALSE(java.has("setOut"));
    EXPECT_FALSE(exists(java.app.root() + L"\\out.log"));
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
}

// ---------------------------------------------------------------------------
// The Java main thread

struct StackCase {
    const char* name;
    const wchar_t* parameters;
    const wchar_t* runtimeDefault;
    std::int64_t reserve;
    bool asksRuntime;
    // The first configured parameter as the VM receives it.
    const char* option;
};

void PrintTo(const StackCase& c, std::ostream* os) { *os << c.name; }

class JavaMainThreadStack : public ::testing::TestWithParam<StackCase> {};

TEST_P(JavaMainThreadStack, IsReservedAsConfigured) {
    const StackCase& c = GetParam();
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(std::wstring(L"Virtual Machine Parameters=") + c.parameters + L"\n"));
    ASSERT_TRUE(java.scenario(std::wstring(L"DefaultStackSize=") + c.runtimeDefault + L"\n"));
    java.environment = {{L"JS_STACK", L"2m"}};

    RunResult run = java.start();
    expectCleanRun(run, java);
    EXPECT_EQ(std::atoll(java.value("stackReserve").c_str()), c.reserve) << java.recordText();
    EXPECT_EQ(java.has("defaultInitArgs.version"), c.asksRuntime) << java.recordText();
    EXPECT_EQ(java.value("option.1"), c.option) << java.recordText();
    if (c.asksRuntime) {
        EXPECT_EQ(java.value("defaultInitArgs.version"), "0x00010001");
    }

    // The VM lives on a thread of its own, which also runs main.
    ASSERT_TRUE(java.has("loadThreadId") && java.has("threadId"));
    EXPECT_NE(java.value("threadId"), java.value("loadThreadId"));
    EXPECT_EQ(java.value("main"), java.value("threadId"));
}

INSTANTIATE_TEST_SUITE_P(
    JavaStart, JavaMainThreadStack,
    ::testing::Values(StackCase{"XssInMegabytes", L"-Xss4m", L"0", 4 << 20, false, "-Xss4m"},
                      StackCase{"RuntimeDefault", L"-Dx=1", L"8388608", 8 << 20, true, "-Dx=1"},
                      StackCase{"XssBeatsRuntimeDefault", L"-Xss4m", L"8388608", 4 << 20, false, "-Xss4m"},
                      StackCase{"LaterXssWins", L"-Xss3m -Xss6m", L"0", 6 << 20, false, "-Xss3m"},
                      // The size rule sees the unexpanded text, so the runtime's default applies.
                      StackCase{"XssFromVariableIsNotRead", L"-Xss%JS_STACK%", L"8388608", 8 << 20, true,
                                "-Xss2m"}),
    [](const ::testing::TestParamInfo<StackCase>& info) { return std::string(info.param.name); });

TEST(JavaStartThread, WithoutRoomForTheStackTheCallingThreadDoesTheWork) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "a 64-bit process has room for any stack";
    JavaApp java;
    ASSERT_READY(java);
    // No 32-bit process has 1900 MiB of free address space in one piece, so
    // the Java main thread cannot be created.
    ASSERT_TRUE(java.configure(L"Virtual Machine Parameters=-Xss1900m\n"));
    RunResult run = java.start();
    expectCleanRun(run, java);
    EXPECT_EQ(java.value("threadId"), java.value("loadThreadId")) << java.recordText();
    EXPECT_EQ(java.value("main"), java.value("loadThreadId")) << java.recordText();
}

// ---------------------------------------------------------------------------
// VM creation failures

struct CreateFailure {
    int code;
    const wchar_t* reason;
};

void PrintTo(const CreateFailure& c, std::ostream* os) { *os << c.code; }

class VmCreationFailure : public ::testing::TestWithParam<CreateFailure> {};

TEST_P(VmCreationFailure, IsReportedWithItsReason) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(L"CreateResult=" + std::to_wstring(GetParam().code) + L"\n"));

    RunResult run = java.start();
    expectOneBoxThenFailure(run,
                            std::wstring(L"JNI Fehler: konnte die Java VM nicht erzeugen\nReason: ") +
                                GetParam().reason + L".\n",
                            java);
    EXPECT_EQ(java.value("createResult"), std::to_string(GetParam().code));
    EXPECT_FALSE(java.has("main"));
}

INSTANTIATE_TEST_SUITE_P(JavaStart, VmCreationFailure,
                         ::testing::Values(CreateFailure{-1, L"unbekannt"},
                                           CreateFailure{-2, L"Thread von der VM getrennt"},
                                           CreateFailure{-3, L"JNI Versionsfehler"},
                                           CreateFailure{-4, L"nicht genügend Arbeitsspeicher"},
                                           CreateFailure{-5, L"VM bereits erzeugt"},
                                           CreateFailure{-6, L"ungültige Argumente"},
                                           CreateFailure{-7, L""}, CreateFailure{42, L""}),
                         [](const ::testing::TestParamInfo<CreateFailure>& info) {
                             int code = info.param.code;
                             return (code < 0 ? "Minus" : "Plus") + std::to_string(code < 0 ? -code : code);
                         });

// ---------------------------------------------------------------------------
// The main class

struct ClassRoute {
    const char* name;
    StandIn variant;
    const wchar_t* scenario;
};

void PrintTo(const ClassRoute& c, std::ostream* os) { *os << c.name; }

class MainClassNotFound : public ::testing::TestWithParam<ClassRoute> {};

TEST_P(MainClassNotFound, IsReportedWithTheSlashName) {
    JavaApp java(GetParam().variant);
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(std::wstring(L"MainClass=com/example/Other\n") + GetParam().scenario));

    RunResult run = java.start();
    expectOneBoxThenFailure(run, L"Konnte die Main class com/example/App nicht finden.\n", java);
    std::vector<std::string> lookups = recordValues(java.record, "findClass");
    EXPECT_NE(std::find(lookups.begin(), lookups.end(), "com/example/App"), lookups.end()) << java.recordText();
    EXPECT_EQ(java.value("exceptionDescribe").rfind("java.lang.NoClassDefFoundError", 0), 0u)
        << java.recordText();
    EXPECT_FALSE(java.has("main"));
}

INSTANTIATE_TEST_SUITE_P(JavaStart, MainClassNotFound,
                         ::testing::Values(ClassRoute{"ThroughLauncherHelper", StandIn::full, L""},
                                           ClassRoute{"WithoutBootLoaderExport", StandIn::noBootLoader, L""},
                                           ClassRoute{"WithoutLauncherHelper", StandIn::full, L"LauncherHelper=no\n"},
                                           ClassRoute{"HelperReturnsNullQuietly", StandIn::full,
                                                      L"CheckAndLoadMainThrows=no\n"}),
                         [](const ::testing::TestParamInfo<ClassRoute>& info) {
                             return std::string(info.param.name);
                         });

TEST(JavaStartMainClass, RuntimeWithoutBootLoaderExportFindsTheClassDirectly) {
    JavaApp java(StandIn::noBootLoader);
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(L""));
    RunResult run = java.start();
    expectCleanRun(run, java);
    EXPECT_FALSE(java.has("checkAndLoadMain"));
    std::vector<std::string> lookups = recordValues(java.record, "findClass");
    EXPECT_NE(std::find(lookups.begin(), lookups.end(), "com/example/App"), lookups.end()) << java.recordText();
}

TEST(JavaStartMainClass, ClassWithoutMainIsReported) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(L"HasMain=no\nMissingMethodThrows=no\n"));
    RunResult run = java.start();
    expectOneBoxThenFailure(run, L"Keine Main class in der angegebenen Klasse gefunden.\n", java);
    EXPECT_FALSE(java.has("main"));

    // When the runtime raises NoSuchMethodError it is described on standard
    // error too, and the user still sees why nothing starts.
    ASSERT_TRUE(java.scenario(L"HasMain=no\nMissingMethodThrows=yes\n"));
    DeleteFileW(java.recordPath.c_str());
    run = java.start();
    expectOneBoxThenFailure(run, L"Keine Main class in der angegebenen Klasse gefunden.\n", java);
    EXPECT_EQ(java.value("exceptionDescribe").rfind("java.lang.NoSuchMethodError", 0), 0u) << java.recordText();
}

TEST(JavaStartMainClass, NameThatCannotBecomeAJavaStringIsReported) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L""));
    ASSERT_TRUE(java.scenario(L"HideClasses=java/lang/String\n"));
    RunResult run = java.start();
    expectOneBoxThenFailure(run, L"Konnte die Main Class: com/example/App nicht laden.\n", java);
    EXPECT_FALSE(java.has("main"));
}

// ---------------------------------------------------------------------------
// How the application ends

struct Ending {
    const char* name;
    const wchar_t* scenario;
    const wchar_t* failureCheck;
    DWORD exitCode;
};

void PrintTo(const Ending& c, std::ostream* os) { *os << c.name; }

class ApplicationEnd : public ::testing::TestWithParam<Ending> {};

TEST_P(ApplicationEnd, GivesTheExitCode) {
    const Ending& e = GetParam();
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L"", std::wstring(L"[Application]\nFailure Check=") + e.failureCheck + L"\n"));
    ASSERT_TRUE(java.scenario(e.scenario));
    RunResult run = java.start();
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, e.exitCode) << describeRun(run) << java.recordText();
    if (std::string(e.name) == "ExceptionWithoutFailureCheck") {
        // A runtime without uncaught-exception handlers gets the trace
        // described, so that it reaches standard error all the same.
        EXPECT_EQ(java.value("exceptionDescribe").rfind("java.lang.IllegalStateException", 0), 0u)
            << java.recordText();
    } else {
        EXPECT_FALSE(java.has("exceptionDescribe")) << java.recordText();
    }
    expectNoMisuse(java);
    if (e.exitCode == 7) {
        EXPECT_EQ(java.value("exitHook"), "7");
    } else {
        // main's thread leaves the VM, and the VM is destroyed on the
        // process's main thread afterwards; when the thread could not leave,
        // DestroyJavaVM would wait for it for ever, so the VM is left to the
        // end of the process.
        EXPECT_EQ(java.value("detachCurrentThread"), java.value("threadId")) << java.recordText();
        if (e.exitCode != kLauncherFailed) {
            ASSERT_TRUE(java.has("destroyJavaVm")) << java.recordText();
            EXPECT_EQ(java.value("destroyJavaVm"), java.value("loadThreadId"));
        } else {
            EXPECT_FALSE(java.has("destroyJavaVm")) << java.recordText();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(JavaStart, ApplicationEnd,
                         ::testing::Values(Ending{"MainReturns", L"Main=return", L"Yes", 0},
                                           Ending{"SystemExit", L"Main=exit:7", L"no", 7},
                                           // As with the java command.
                                           Ending{"ExceptionWithoutFailureCheck", L"Main=throw", L"no", 1},
                                           // A thread that cannot leave the VM fails the start.
                                           Ending{"DetachFails", L"DetachResult=-1", L"no", 0xFFFFFFFFu}),
                         [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Arguments

TEST(JavaStartArguments, CommandLineThenCmdReachMainIntact) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.configure(L"", L"[Application]\nCmd=--cmd \"%JS_WORD% zwei\"  \"\" ende\n"));
    ASSERT_TRUE(java.scenario(L""));
    java.environment = {{L"JS_WORD", L"eins"}};
    // A G clef (U+1D11E) lies outside the BMP and any ANSI code page.
    RunResult run = java.start(L"-nosplash \"Grüße Welt\" \U0001D11E-x");
    expectCleanRun(run, java);
    EXPECT_EQ(java.mainArguments(), (std::vector<std::string>{"-nosplash", u8(L"Grüße Welt"),
                                                               u8(L"\U0001D11E-x"), "--cmd", "eins zwei", "ende"}))
        << java.recordText();
}

// ---------------------------------------------------------------------------
// Standard streams

TEST(JavaStartStreams, OutputAndErrorGoToFilesInNewFolders) {
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring logs = java.app.root() + L"\\logs";
    ASSERT_TRUE(java.configure(L"", L"[Application]\nOutput File=%JS_LOGS%\\neu\\out.log\nError File=" + logs +
                                        L"\\Protokoll-\u03a9\\err.log\n"));
    ASSERT_TRUE(java.scenario(L"Main=print\nStdoutLine=Ausgabe \\u00e4\\u00f6\\u00fc\nStderrLine=Fehlertext\n"));
    java.environment = {{L"JS_LOGS", logs}};
    RunResult run = java.start();
    expectCleanRun(run, java);
    EXPECT_EQ(java.value("setOut"), u8(logs + L"\\neu\\out.log")) << java.recordText();
    EXPECT_EQ(java.value("setOut.append"), "0");
    EXPECT_EQ(java.value("setErr"), u8(logs + L"\\Protokoll-\u03a9\\err.log"));
    EXPECT_EQ(readFileBytes(logs + L"\\neu\\out.log"), u8(L"Ausgabe äöü\r\n"));
    // The folder name lies outside any ANSI code page.
    EXPECT_EQ(readFileBytes(logs + L"\\Protokoll-\u03a9\\err.log"), "Fehlertext\r\n");
}

struct AppendCase {
    const char* name;
    const wchar_t* value;
    bool appends;
};

void PrintTo(const AppendCase& c, std::ostream* os) { *os << c.name; }

class StreamAppend : public ::testing::TestWithParam<AppendCase> {};

TEST_P(StreamAppend, OnlyLowerCaseYesAppends) {
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring out = java.app.root() + L"\\out.log";
    const std::wstring err = java.app.root() + L"\\err.log";
    ASSERT_TRUE(writeFileBytes(out, "alt\r\n") && writeFileBytes(err, "alt\r\n"));
    ASSERT_TRUE(java.configure(L"", L"[Application]\nOutput File=" + out + L"\nError File=" + err +
                                        L"\nOutput Append=" + GetParam().value + L"\nError Append=" +
                                        GetParam().value + L"\n"));
    ASSERT_TRUE(java.scenario(L"Main=print\n"));
    RunResult run = java.start();
    expectCleanRun(run, java);
    std::string before = GetParam().appends ? "alt\r\n" : "";
    EXPECT_EQ(readFileBytes(out), before + "stdout line\r\n");
    EXPECT_EQ(readFileBytes(err), before + "stderr line\r\n");
}

INSTANTIATE_TEST_SUITE_P(JavaStart, StreamAppend,
                         ::testing::Values(AppendCase{"LowerYes", L"yes", true},
                                           AppendCase{"CapitalYes", L"Yes", false},
                                           AppendCase{"Empty", L"", false}),
                         [](const ::testing::TestParamInfo<AppendCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(JavaStartStreams, DatePatternInTheNameGivesTodaysFile) {
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring logs = java.app.root() + L"\\logs";
    ASSERT_TRUE(java.configure(L"", L"[Application]\nOutput File=" + logs + L"\\app-%yyyyMMdd%.log\n"));
    ASSERT_TRUE(java.scenario(L"Main=print\n"));
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    RunResult run = java.start();
    GetLocalTime(&after);
    expectCleanRun(run, java);
    std::wstring name = logs + L"\\app-" + yyyyMMdd(before) + L".log";
    // A run across midnight names the later day.
    if (!exists(name)) name = logs + L"\\app-" + yyyyMMdd(after) + L".log";
    EXPECT_EQ(readFileBytes(name), "stdout line\r\n") << u8(name) << java.recordText();
    EXPECT_EQ(listFolder(logs + L"\\*.log").size(), 1u);
}

TEST(JavaStartStreams, FileThatCannotBeOpenedIsDescribedAndMainStillRuns) {
    JavaApp java;
    ASSERT_READY(java);
    // A folder cannot be opened as a file.
    const std::wstring folder = java.app.root() + L"\\ein Ordner";
    const std::wstring err = java.app.root() + L"\\err.log";
    ASSERT_TRUE(createFolderTree(folder));
    ASSERT_TRUE(java.configure(L"", L"[Application]\nOutput File=" + folder + L"\nError File=" + err + L"\n"));
    ASSERT_TRUE(java.scenario(L"Main=print\n"));
    RunResult run = java.start();
    expectCleanRun(run, java);
    EXPECT_TRUE(java.has("fileOutputStream.error")) << java.recordText();
    EXPECT_EQ(java.value("exceptionDescribe").rfind("java.io.FileNotFoundException", 0), 0u) << java.recordText();
    EXPECT_FALSE(java.has("setOut"));
    // Output comes first, so its failure is described before the error
    // stream is redirected: the error file holds only the application's text.
    EXPECT_EQ(java.value("setErr"), u8(err));
    EXPECT_EQ(readFileBytes(err), "stderr line\r\n");
}

TEST(JavaStartStreams, OneFileUnderTwoNamesGetsOneStream) {
    JavaApp java;
    ASSERT_READY(java);
    ASSERT_TRUE(java.scenario(L"Main=print\n"));
    const std::wstring folder = java.app.root() + L"\\Protokolle";
    const std::wstring longName = folder + L"\\Anwendungsprotokoll.log";
    ASSERT_TRUE(createFolderTree(folder) && writeFileBytes(longName, "alt\r\n"));
    wchar_t shortName[MAX_PATH] = L"";
    ASSERT_GT(GetShortPathNameW(longName.c_str(), shortName, MAX_PATH), 0u);
    // Files that do not exist yet, and one by its long and its 8.3 name.
    const std::pair<std::wstring, std::wstring> names[] = {{folder + L"\\one.log", folder + L"\\.\\one.log"},
                                                           {folder + L"\\\u00c4rger.log", folder + L"\\\u00e4rger.log"},
                                                           {longName, shortName}};
    for (const auto& [output, error] : names) {
        ASSERT_TRUE(java.configure(L"", L"[Application]\nOutput File=" + output + L"\nError File=" + error + L"\n"));
        RunResult run = java.start();
        expectCleanRun(run, java);
        EXPECT_EQ(readFileBytes(output), "stdout line\r\nstderr line\r\n") << u8(error);
    }
}

// JNI_CreateJavaVM takes ANSI text: paths the code page cannot hold go by
// their short names, never as "?"; where there is none the start ends with a
// box that names the path.
TEST(JavaStartPaths, AnApplicationFolderInAnyLanguageStartsWithShortNamesInTheOptions) {
    JavaApp java;
    ASSERT_TRUE(java.ready()) << java.problem;
    const std::wstring folder = java.app.root() + L"\\\u0416\u0443\u043a \u4e2d\u6587";
    ASSERT_TRUE(createFolderTree(folder + L"\\lib"));
    ASSERT_TRUE(writeFileBytes(folder + L"\\lib\\app.jar", ""));
    ASSERT_TRUE(CopyFileW(java.app.exePath().c_str(), (folder + L"\\App.exe").c_str(), FALSE));
    const std::wstring ini = L"[Java Runtime Environment]\n" + kMainClassKeys + L"JRE Path=" + java.home +
                             L"\n[Class Path]\nClass Path=\\lib\\*.jar\n";
    ASSERT_TRUE(AppFolder::writeUtf16File(folder + L"\\App.ini", ini));
    RunOptions options;
    options.appData = java.app.appDataPath();
    options.environment = {{testjvm::recordVariable, java.recordPath}, {testjvm::scenarioVariable, java.scenarioPath}};
    RunResult run = runProgram(folder + L"\\App.exe", options);
    java.record = testjvm::parseRecord(readFileBytes(java.recordPath));
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    wchar_t shortJar[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW((folder + L"\\lib\\app.jar").c_str(), shortJar, MAX_PATH), 0u);
    const std::string classPath = "-Djava.class.path=" + u8(shortJar);
    bool found = false;
    for (const std::string& option : java.options()) {
        EXPECT_EQ(option.find('?'), std::string::npos) << option;
        found = found || option.compare(0, classPath.size(), classPath) == 0;
    }
    EXPECT_TRUE(found) << classPath << java.recordText();
}

TEST(JavaStartPaths, OptionsOutsideTheCodePageKeepWhatTheySay) {
    // A user named Łukasz: a profile folder, a title in Russian, a stale Path
    // entry from an uninstalled program.
    JavaApp java;
    ASSERT_READY(java);
    const std::wstring profile = java.app.root() + L"\\\u0141ukasz";
    ASSERT_TRUE(createFolderTree(profile));
    wchar_t shortProfile[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW(profile.c_str(), shortProfile, MAX_PATH), 0u);
    const std::wstring title = L"\u041f\u0440\u0438\u0432\u0435\u0442";
    const std::wstring stale = L"C:\\\u0416\u0443\u043a\\gone";
    ASSERT_TRUE(java.configure(L"Library Path=C:\\natives\n"
                               L"Virtual Machine Parameters=-Dapp.title=" + title + L" -Duser.name=\u0141ukasz "
                               L"-XX:HeapDumpPath=" + profile + L"\\dumps\n"));
    java.environment = {{L"Path", L"C:\\windows\\system32;" + stale}};
    RunResult run = java.start();
    expectCleanRun(run, java);
    const std::vector<std::string> options = java.options();
    ASSERT_GE(options.size(), 3u) << java.recordText();
    EXPECT_EQ(options[0].find(u8(stale)), std::string::npos) << options[0];
    EXPECT_EQ(options[0].rfind("-Djava.library.path=C:\\natives;", 0), 0u) << options[0];
    EXPECT_EQ(options[2], u8(L"-XX:HeapDumpPath=" + std::wstring(shortProfile) + L"\\dumps"));
    EXPECT_EQ(java.value("setProperty.app.title"), u8(title));
    EXPECT_EQ(java.value("setProperty.user.name"), u8(L"\u0141ukasz"));
    for (const std::string& option : options) EXPECT_EQ(option.find('?'), std::string::npos) << option;

    // An option that can be passed in no way is refused by name.
    ASSERT_TRUE(java.configure(L"Virtual Machine Parameters=-Xlog:gc:file=C:\\\u0141ukasz\\gc.log\n"));
    DeleteFileW(java.recordPath.c_str());
    run = java.start();
    expectOneBoxThenFailure(
        run, L"Die Java VM-Option -Xlog:gc:file=C:\\\u0141ukasz\\gc.log enth\u00e4lt Zeichen, die die Codepage "
             L"dieses Systems nicht darstellen kann, und l\u00e4sst sich der Java VM auf keinem Weg \u00fcbergeben.\n",
        java);
    EXPECT_FALSE(java.has("createResult")) << "the VM was created";
}
