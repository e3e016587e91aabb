// Which runtime the launcher chooses, seen from outside: the stand-in jvm.dll
// records the path it was loaded from, and the launcher publishes its choice
// in LQ_JVM_PATH before loading it.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/Registry_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "testjvm/TestJvm.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testjvm::recordValue;
using testjvm::recordValues;

namespace {

const DWORD kLauncherFailed = 0xFFFFFFFF;
const wchar_t* const kJreRoot = L"Software\\JavaSoft\\JRE";

// A configuration the stand-in runs to the end: its default main class and a
// class path that names no files. runtimeLines go into the runtime section.
std::wstring configuration(const std::wstring& runtimeLines,
                           const std::wstring& applicationLines = L"") {
    return L"[Java Runtime Environment]\nMain Class=com.example.App\n" + runtimeLines +
           L"[Application]\n" + applicationLines + L"[Class Path]\nClass Path=C:\\app.jar\n";
}

struct Start {
    RunResult run;
    std::vector<testjvm::RecordEntry> record;
};

Start start(const AppFolder& app, const StandInFiles& files) {
    files.clearRecord();
    RunOptions options;
    options.appData = app.appDataPath();
    options.environment = files.environment();
    Start result;
    result.run = runProgram(app.exePath(), options);
    result.record = files.readRecord();
    return result;
}

// The launcher chose jvmPath, loaded nothing else, and main ran to its end.
void expectStartedWith(const Start& start, const std::wstring& jvmPath) {
    ASSERT_TRUE(start.run.started) << "CreateProcessW error " << start.run.startError;
    EXPECT_FALSE(start.run.timedOut) << describeRun(start.run);
    EXPECT_TRUE(start.run.dialogs.empty()) << describeRun(start.run);
    EXPECT_EQ(start.run.exitCode, 0u) << describeRun(start.run);
    EXPECT_EQ(recordValues(start.record, "loaded"), std::vector<std::string>{toUtf8(jvmPath)});
    EXPECT_EQ(recordValue(start.record, "env.LQ_JVM_PATH"), toUtf8(jvmPath));
    EXPECT_TRUE(recordValue(start.record, "main").has_value()) << "main was not called";
}

// No runtime was found: nothing loaded, no message box, exit code -1.
void expectNoRuntime(const Start& start) {
    ASSERT_TRUE(start.run.started) << "CreateProcessW error " << start.run.startError;
    EXPECT_FALSE(start.run.timedOut) << describeRun(start.run);
    for (const SeenDialog& dialog : start.run.dialogs)
        EXPECT_FALSE(dialog.messageBox) << describeRun(start.run);
    EXPECT_EQ(start.run.exitCode, kLauncherFailed) << describeRun(start.run);
    EXPECT_TRUE(recordValues(start.record, "loaded").empty());
}

// One message box with exactly text, then exit code -1.
void expectOneErrorBox(const Start& start, const std::wstring& text) {
    ASSERT_TRUE(start.run.started) << "CreateProcessW error " << start.run.startError;
    EXPECT_FALSE(start.run.timedOut) << describeRun(start.run);
    ASSERT_EQ(start.run.dialogs.size(), 1u) << describeRun(start.run);
    const SeenDialog& box = start.run.dialogs.front();
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.text, text) << toUtf8(box.text);
    EXPECT_EQ(box.caption, defaultErrorCaption()) << toUtf8(box.caption);
    EXPECT_EQ(start.run.exitCode, kLauncherFailed) << describeRun(start.run);
}

bool makeFile(const std::wstring& path, const std::string& content) {
    if (!createFolderTree(path.substr(0, path.rfind(L'\\')))) return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
              written == content.size();
    CloseHandle(file);
    return ok;
}

class RuntimeSearch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_FALSE(standInJvmPath().empty()) << "the stand-in jvm.dll was not built";
    }

    // A runtime home in the test folder with the stand-in as its VM.
    std::wstring makeHome(const std::wstring& name, VmKind kind = VmKind::client,
                          bool withJavaDll = false) {
        std::wstring home = app.root() + L"\\" + name;
        EXPECT_TRUE(makeRuntimeHome(home, kind, StandIn::full, Machine::own, withJavaDll)) << toUtf8(home);
        return home;
    }

    void registerHome(const std::wstring& root, const std::wstring& version,
                      const std::wstring& home, RegistryView view = ownRegistryView()) {
        EXPECT_TRUE(registry.add(root, version, home, view)) << toUtf8(registry.error());
    }

    Start startApp() { return start(app, files); }

    AppFolder app;
    StandInFiles files{app.root()};
    RegisteredRuntimes registry;
};

}  // namespace

TEST_F(RuntimeSearch, StoredJrePathIsUsedWithOrWithoutTrailingBackslash) {
    std::wstring home = makeHome(L"Stored");
    for (const std::wstring& stored : {home, home + L"\\"}) {
        SCOPED_TRACE(toUtf8(L"JRE Path=" + stored));
        ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + stored + L"\n")));
        expectStartedWith(startApp(), jvmPathIn(home, VmKind::client));
    }
}

TEST_F(RuntimeSearch, StoredJrePathWithoutVmFallsThroughToTheRuntimeBesideTheExecutable) {
    std::wstring gone = makeHome(L"Gone");
    ASSERT_TRUE(DeleteFileW(jvmPathIn(gone, VmKind::client).c_str()));
    ASSERT_TRUE(makeRuntimeHome(app.appPath(), VmKind::hotspot, StandIn::full, Machine::own, true));
    ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + gone + L"\n")));
    expectStartedWith(startApp(), jvmPathIn(app.appPath(), VmKind::hotspot));
}

TEST_F(RuntimeSearch, PerUserJrePathWinsOverTheConfigurationFileExceptForAService) {
    std::wstring fromIni = makeHome(L"FromIni");
    std::wstring fromUser = makeHome(L"FromUser");
    ASSERT_TRUE(makeRuntimeHome(app.appPath(), VmKind::client, StandIn::full, Machine::own, true));
    const std::wstring product =
        L"[Product Information]\nProduct Name=Search Test\nProduct Code={5EA4C4}\n";
    const std::wstring stored = L"JRE Path=" + fromIni + L"\n";

    ASSERT_TRUE(app.writeIni(product + configuration(stored)));
    ASSERT_TRUE(app.writeUserIni(L"Search Test", L"{5EA4C4}",
                                 L"[Java Runtime Environment]\nJRE Path=" + fromUser + L"\n"));
    {
        SCOPED_TRACE("per-user file with JRE Path");
        expectStartedWith(startApp(), jvmPathIn(fromUser, VmKind::client));
    }
    {
        SCOPED_TRACE("service");
        ASSERT_TRUE(app.writeIni(product + configuration(stored, L"Application Type=service\n")));
        expectStartedWith(startApp(), jvmPathIn(fromIni, VmKind::client));
    }
    {
        // An existing per-user file alone decides: the configuration file's
        // folder is not consulted, and the search goes on beside the exe.
        SCOPED_TRACE("per-user file without JRE Path");
        ASSERT_TRUE(app.writeIni(product + configuration(stored)));
        ASSERT_TRUE(app.writeUserIni(L"Search Test", L"{5EA4C4}", L"[Java Runtime Environment]\n"));
        expectStartedWith(startApp(), jvmPathIn(app.appPath(), VmKind::client));
    }
}

TEST_F(RuntimeSearch, RuntimeBesideTheExecutableBeforeItsJreFolderWhateverItsVersion) {
    // Registry bounds that nothing registered meets, and the folder beside the
    // exe is still used: only the registry scan applies them.
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=999\nMaximum Version=999\n")));
    ASSERT_TRUE(makeRuntimeHome(app.appPath() + L"\\jre", VmKind::server, StandIn::full,
                                Machine::own, true));
    {
        SCOPED_TRACE("jre folder only");
        expectStartedWith(startApp(), jvmPathIn(app.appPath() + L"\\jre", VmKind::server));
    }
    {
        SCOPED_TRACE("exe folder and jre folder");
        ASSERT_TRUE(makeRuntimeHome(app.appPath(), VmKind::client, StandIn::full, Machine::own, true));
        expectStartedWith(startApp(), jvmPathIn(app.appPath(), VmKind::client));
    }
}

TEST_F(RuntimeSearch, JreFolderWithJavaDllButNoVmFallsThroughToTheRegistry) {
    ASSERT_TRUE(makeFile(app.appPath() + L"\\jre\\bin\\java.dll", ""));
    std::wstring registered = makeHome(L"Registered860");
    registerHome(kJreRoot, L"860.1", registered);
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=860\nMaximum Version=860\n")));
    expectStartedWith(startApp(), jvmPathIn(registered, VmKind::client));
}

TEST_F(RuntimeSearch, RegistryChoosesTheHighestVersionWithinBoundsUnlessPreferred) {
    const wchar_t* versions[] = {L"869.9", L"870.1", L"870.2.5", L"871.3", L"872"};
    for (const wchar_t* version : versions)
        registerHome(kJreRoot, version, makeHome(std::wstring(L"Jre") + version));
    // An older JDK key names the JDK; its runtime is the jre folder inside.
    std::wstring jdk = app.root() + L"\\Jdk873";
    ASSERT_TRUE(makeRuntimeHome(jdk + L"\\jre", VmKind::client));
    registerHome(L"Software\\JavaSoft\\Java Development Kit", L"873.0", jdk);

    struct Case {
        const wchar_t* settings;
        std::wstring chosenHome;
    };
    const Case cases[] = {
        {L"Minimum Version=870\nMaximum Version=871\n", app.root() + L"\\Jre871.3"},
        {L"Minimum Version=870\nMaximum Version=870\n", app.root() + L"\\Jre870.2.5"},
        {L"Minimum Version=870.1\nMaximum Version=870.1\n", app.root() + L"\\Jre870.1"},
        {L"Minimum Version=870.2\nMaximum Version=871\nPreferred versions=870.1\n",
         app.root() + L"\\Jre871.3"},
        {L"Minimum Version=870\nMaximum Version=871\nPreferred versions=870.1\n",
         app.root() + L"\\Jre870.1"},
        {L"Minimum Version=869\nMaximum Version=872\nPreferred versions=868;870\n",
         app.root() + L"\\Jre870.2.5"},
        {L"Minimum Version=873\nMaximum Version=873\n", jdk + L"\\jre"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.settings));
        ASSERT_TRUE(app.writeIni(configuration(c.settings)));
        expectStartedWith(startApp(), jvmPathIn(c.chosenHome, VmKind::client));
    }
}

TEST_F(RuntimeSearch, RegistryJavaHomeWithoutNulIsReadExactlyAndANumberIsSkipped) {
    std::wstring older = makeHome(L"Jre874.1");
    std::wstring unterminated = makeHome(L"Jre874.2");
    registerHome(kJreRoot, L"874.1", older);
    // Windows adds the NUL itself when the character after the counted data
    // is one, so the buffer goes on with something else.
    const std::wstring buffer = unterminated + L"X";
    EXPECT_TRUE(registry.addRaw(kJreRoot, L"874.2", REG_SZ, buffer.c_str(),
                                static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)),
                                ownRegistryView()))
        << toUtf8(registry.error());
    const DWORD number = 0x00430043;  // "CC" when taken for text
    EXPECT_TRUE(registry.addRaw(kJreRoot, L"874.3", REG_DWORD, &number, sizeof number,
                                ownRegistryView()))
        << toUtf8(registry.error());

    {
        SCOPED_TRACE("874.2 without NUL, 874.3 a REG_DWORD");
        ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=874\nMaximum Version=874\n")));
        expectStartedWith(startApp(), jvmPathIn(unterminated, VmKind::client));
    }
    {
        SCOPED_TRACE("874.3 a REG_DWORD only");
        ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=874.3\nMaximum Version=874.3\n")));
        expectNoRuntime(startApp());
    }
}

TEST_F(RuntimeSearch, RegistryOfTheOtherViewIsNotScannedWithoutPairProduct) {
    std::wstring own = makeHome(L"Own876");
    std::wstring other = makeHome(L"Other876");
    registerHome(kJreRoot, L"876.1", own);
    registerHome(kJreRoot, L"876.5", other, otherRegistryView());
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=876\nMaximum Version=876\n")));
    expectStartedWith(startApp(), jvmPathIn(own, VmKind::client));
}

TEST_F(RuntimeSearch, ServerJvmTypeSkipsClientOnlyRuntimesInEverySource) {
    std::wstring storedClient = makeHome(L"StoredClient");
    ASSERT_TRUE(makeRuntimeHome(app.appPath(), VmKind::client, StandIn::full, Machine::own, true));
    std::wstring newerClient = makeHome(L"Jre877.5");
    // Holding both VMs, it must still give its server VM.
    std::wstring olderServer = makeHome(L"Jre877.1", VmKind::server);
    ASSERT_TRUE(makeRuntimeHome(olderServer, VmKind::client));
    registerHome(kJreRoot, L"877.5", newerClient);
    registerHome(kJreRoot, L"877.1", olderServer);
    ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + storedClient +
                                           L"\nJVM Type=server\nMinimum Version=877\n"
                                           L"Maximum Version=877\n")));
    expectStartedWith(startApp(), jvmPathIn(olderServer, VmKind::server));
}

TEST_F(RuntimeSearch, VmLibraryThatIsNoDllIsReportedWithItsPathAndError) {
    std::wstring home = app.root() + L"\\TextJre";
    std::wstring library = jvmPathIn(home, VmKind::client);
    ASSERT_TRUE(makeFile(library, "not a DLL\r\n"));
    // The number LoadLibraryW gives for this file on this system.
    SetLastError(0);
    HMODULE loaded = LoadLibraryW(library.c_str());
    DWORD error = GetLastError();
    ASSERT_EQ(loaded, nullptr);
    ASSERT_NE(error, 0u);

    ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + home + L"\n")));
    Start result = startApp();
    expectOneErrorBox(result, L"Konnte Java VM Bibliothek: " + library + L" (Fehlernummer= " +
                                  std::to_wstring(error) + L") nicht laden.\n");
    EXPECT_TRUE(result.record.empty());
}

TEST_F(RuntimeSearch, VmLibraryWithoutAnEntryPointIsReportedWithTheMissingOne) {
    const std::pair<StandIn, const wchar_t*> cases[] = {
        {StandIn::noCreate, L"Kann CreateJavaVM JNI nicht finden"},
        {StandIn::noDefaultArgs, L"Kann JNI_GetDefaultJavaVMInitArgs in der Java VM Bibliothek nicht finden"}};
    for (const auto& [variant, missing] : cases) {
        std::wstring home = app.root() + L"\\Missing" + std::to_wstring(static_cast<int>(variant));
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::client, variant));
        ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + home + L"\n")));
        Start result = startApp();
        expectOneErrorBox(result, L"Windows Fehler: " + std::wstring(missing) + L" (Fehlernummer = 127).\n");
        EXPECT_EQ(recordValues(result.record, "loaded"),
                  std::vector<std::string>{toUtf8(jvmPathIn(home, VmKind::client))});
        EXPECT_FALSE(recordValue(result.record, "main").has_value());
    }
}

TEST_F(RuntimeSearch, TodaysVendorKeysAreFoundInBothHives) {
    const std::wstring bounds = L"Minimum Version=880\n";
    struct Case {
        const char* what;
        HKEY hive;
        const wchar_t* key;
        bool trailingBackslash;
    } cases[] = {
        {"Temurin, MSI", HKEY_LOCAL_MACHINE, L"SOFTWARE\\Eclipse Adoptium\\JDK\\881.0.5.11\\hotspot\\MSI", true},
        {"Temurin, EXE", HKEY_LOCAL_MACHINE, L"SOFTWARE\\Eclipse Adoptium\\JRE\\882.0.1.12\\hotspot\\EXE", false},
        {"Microsoft, per user", HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\JDK\\883.0.6.7\\hotspot\\MSI", true},
    };
    ASSERT_TRUE(app.writeIni(configuration(bounds)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring home = makeHome(L"Vendor" + std::to_wstring(&c - cases));
        RegisteredRuntimes keys;
        ASSERT_TRUE(keys.addString(c.hive, c.key, L"Path", home + (c.trailingBackslash ? L"\\" : L""),
                                   ownRegistryView()))
            << toUtf8(keys.error());
        expectStartedWith(startApp(), jvmPathIn(home, VmKind::client));
    }

    // A key an uninstaller left behind is passed over for the next one.
    RegisteredRuntimes keys;
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Eclipse Adoptium\\JDK\\889.0.1\\hotspot\\MSI",
                               L"Path", app.root() + L"\\Uninstalled\\", ownRegistryView()));
    const std::wstring sap = makeHome(L"SapMachine");
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\SapMachine\\JDK\\884", L"JavaHome", sap,
                               ownRegistryView()));
    // An OpenJ9 build is IBM's: not taken without VM Provider asking for it.
    const std::wstring semeru = makeHome(L"Semeru");
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Semeru\\JDK\\890.0.1\\openj9\\MSI", L"Path", semeru,
                               ownRegistryView()));
    expectStartedWith(startApp(), jvmPathIn(sap, VmKind::client));
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=890\n")));
    expectNoRuntime(startApp());
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=890\nVM Provider=ibm\n")));
    expectStartedWith(startApp(), jvmPathIn(semeru, VmKind::client));
}

TEST_F(RuntimeSearch, TraceShowsEveryDecisionOfAFailedAndASuccessfulStart) {
    const std::wstring tracePath = app.root() + L"\\trace.log";
    auto traced = [&] {
        files.clearRecord();
        DeleteFileW(tracePath.c_str());
        RunOptions options;
        options.appData = app.appDataPath();
        options.environment = files.environment();
        options.environment.emplace_back(L"LAUNCHER_TRACE", tracePath);
        runProgram(app.exePath(), options);
        return readFileBytes(tracePath);
    };
    auto expectLines = [](const std::string& trace, std::initializer_list<const char*> parts) {
        for (const char* part : parts) EXPECT_NE(trace.find(part), std::string::npos) << part << "\n" << trace;
    };
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=891\nJRE Path=C:\\nowhere\n")));
    expectLines(traced(), {"config file ", "[Java Runtime Environment] Minimum Version=891",
                           "runtime: the stored folder (JRE Path) C:\\nowhere\\: no VM library",
                           "runtime: none found", "exit code -1"});

    const std::wstring home = makeHome(L"Traced\u00c4");
    RegisteredRuntimes keys;
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Eclipse Adoptium\\JDK\\891.0.2\\hotspot\\MSI",
                               L"Path", home, ownRegistryView()));
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Eclipse Adoptium\\JDK\\892\\hotspot\\MSI", L"Path",
                               app.root() + L"\\Gone", ownRegistryView()));
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=891\n")));
    const std::string ok = traced();
    expectLines(ok, {"JDK\\892\\hotspot\\MSI: passed over, no VM library", "JDK\\891.0.2\\hotspot\\MSI: candidate 891.0.2",
                     "bitness: the runtime is loaded in this process", "vm option -Djava.class.path=C:\\app.jar",
                     "main class com/example/App", "vm: JNI_CreateJavaVM gave 0", "main: about to run",
                     "main: returned", "exit code 0"});
    EXPECT_NE(ok.find(toUtf8(L"registry: chose 891.0.2 in " + home + L"\\")), std::string::npos) << ok;
    // Each line carries the process and the milliseconds since its start.
    EXPECT_EQ(ok.compare(0, 1, "["), 0) << ok;
    // An application that ends itself ends the process inside the VM.
    ASSERT_TRUE(files.writeScenario(L"Main=exit:3\n"));
    expectLines(traced(), {"exit code 3 (System.exit)"});
}

TEST_F(RuntimeSearch, JvmDllImportsComeFromTheRuntimesBinFolderNotTheApplicationsFolder) {
    // jvm.dll imports testdep.dll, shipped in the runtime's bin folder; the
    // application's folder (also the working directory) holds another DLL of
    // that name, which would fail the load.
    const std::wstring home = makeHome(L"DependentRuntime");
    const std::wstring bin = testBinFolder();
    ASSERT_TRUE(CopyFileW((bin + L"\\testjvm_dep.dll").c_str(), jvmPathIn(home, VmKind::client).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((bin + L"\\testdep.dll").c_str(), (home + L"\\bin\\testdep.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((bin + L"\\testdep_impostor.dll").c_str(), (app.appPath() + L"\\testdep.dll").c_str(),
                          FALSE));
    ASSERT_TRUE(app.writeIni(configuration(L"JRE Path=" + home + L"\n")));
    expectStartedWith(startApp(), jvmPathIn(home, VmKind::client));
}

TEST_F(RuntimeSearch, TodaysVendorsJava8CountsAsJava18) {
    RegisteredRuntimes keys;
    const std::wstring temurin8 = makeHome(L"Temurin8"), temurin21 = makeHome(L"Temurin21"), zulu8 = makeHome(L"Zulu8");
    ASSERT_TRUE(makeFile(zulu8 + L"\\release", "IMPLEMENTOR=\"Azul Systems, Inc.\"\nJAVA_VERSION=\"1.8.0_402\"\n"));
    const wchar_t* const adoptium = L"SOFTWARE\\Eclipse Adoptium\\";
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, adoptium + std::wstring(L"JRE\\8.0.392.8\\hotspot\\MSI"), L"Path",
                               temurin8 + L"\\", ownRegistryView()));
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, adoptium + std::wstring(L"JDK\\21.0.5.11\\hotspot\\MSI"), L"Path",
                               temurin21 + L"\\", ownRegistryView()));
    ASSERT_TRUE(keys.addString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Azul Systems\\Zulu\\zulu-8", L"InstallationPath",
                               zulu8 + L"\\", ownRegistryView()));
    ASSERT_TRUE(app.writeIni(configuration(L"Maximum Version=1.8\nPreferred versions=1.8.0_392\n")));
    expectStartedWith(startApp(), jvmPathIn(temurin8, VmKind::client));
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=1.8\nPreferred versions=1.8\n")));
    expectStartedWith(startApp(), jvmPathIn(zulu8, VmKind::client));
}

TEST_F(RuntimeSearch, PerUserRuntimeOfTheOtherProcessorIsPassedOverForAnInstalledOne) {
    if (standInJvmPath(StandIn::full, Machine::other).empty()) GTEST_SKIP() << "the other architecture's build is missing";
    // HKEY_CURRENT_USER\Software is one key in both views: the other
    // processor's installer wrote Temurin 21 for this user only.
    const std::wstring installed = makeHome(L"jre1.8.0_391");
    registerHome(L"Software\\JavaSoft\\Java Runtime Environment", L"1.8.0_391", installed);
    const std::wstring perUser = app.root() + L"\\\u0141ukasz\\jdk-21.0.5.11-hotspot";
    ASSERT_TRUE(makeRuntimeHome(perUser, VmKind::server, StandIn::full, Machine::other));
    RegisteredRuntimes keys;
    ASSERT_TRUE(keys.addString(HKEY_CURRENT_USER, L"SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.5.11\\hotspot\\EXE", L"Path",
                               perUser, otherRegistryView()))
        << toUtf8(keys.error());
    ASSERT_TRUE(app.writeIni(configuration(L"Minimum Version=1.8\n")));
    expectStartedWith(startApp(), jvmPathIn(installed, VmKind::client));
}
