// The hand-over to the 64-bit sibling launcher: the 32-bit launcher that
// chooses a 64-bit runtime starts the sibling named in Pair Product instead of
// loading it. The sibling is a real copy of the 64-bit build with an INI of
// its own; its stand-in runtime (the x64 one) records the command line and
// main's arguments it got.
#include "support/Registry_win.h"
#include "support/TestApp_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <cwctype>
#include <string>
#include <vector>

using testjvm::recordValue;
using testjvm::recordValues;

namespace {

const wchar_t* const kJreRoot = L"Software\\JavaSoft\\JRE";
const wchar_t* const kArguments = L"alpha \"beta gamma\" delta";

using Ini = TestApp;

// The 32-bit launcher as Sample.exe, the 64-bit sibling beside it as
// Sample64.exe, and a runtime home whose jvm.dll is the x64 stand-in.
class PairProduct : public ::testing::Test {
protected:
    void SetUp() override {
        if (sizeof(void*) == 8) GTEST_SKIP() << "the hand-over starts from the 32-bit launcher";
        std::wstring sibling = siblingBinFolder();
        if (sibling.empty() || standInJvmPath(StandIn::full, Machine::other).empty() ||
            GetFileAttributesW((sibling + L"\\launcher64.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the 64-bit build is missing";
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(CopyFileW((sibling + L"\\launcher64.exe").c_str(), siblingExe.c_str(), TRUE));
        ASSERT_TRUE(makeRuntimeHome(home64, VmKind::client, StandIn::full, Machine::other));
    }

    bool writeSiblingIni(const std::wstring& text) const {
        return AppFolder::writeUtf16File(app.appPath() + L"\\Sample64.ini", text);
    }

    RunResult startApp() const { return t.start(kArguments).run; }

    // The sibling, not this launcher, loaded the x64 stand-in, got the
    // launcher's own command line and passed its arguments on to main.
    void expectSiblingRan(const std::vector<testjvm::RecordEntry>& record) {
        EXPECT_EQ(recordValues(record, "loaded"),
                  std::vector<std::string>{toUtf8(jvmPathIn(home64, VmKind::client))});
        EXPECT_EQ(recordValue(record, "machine"), "x64");
        EXPECT_EQ(recordValue(record, "commandLine"),
                  toUtf8(L"\"" + app.exePath() + L"\" " + kArguments));
        EXPECT_EQ(recordValue(record, "mainArgs.count"), "3");
        EXPECT_EQ(recordValue(record, "mainArgs.0"), "alpha");
        EXPECT_EQ(recordValue(record, "mainArgs.1"), "beta gamma");
        EXPECT_EQ(recordValue(record, "mainArgs.2"), "delta");
    }

    TestApp t;
    AppFolder& app = t.folder;
    StandInFiles& files = t.standIn;
    std::wstring siblingExe = app.appPath() + L"\\Sample64.exe";
    std::wstring home64 = app.root() + L"\\Jre64";
    RegisteredRuntimes registry;
};

// Sets a variable of this process, inherited by what it starts, for one scope.
class ScopedVariable {
public:
    ScopedVariable(const std::wstring& name, const std::wstring& value) : name_(name) {
        DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (size > 0) {
            saved_.assign(size, L'\0');
            saved_.resize(GetEnvironmentVariableW(name.c_str(), &saved_[0], size));
            hadValue_ = true;
        }
        SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_.c_str(), hadValue_ ? saved_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::wstring name_;
    std::wstring saved_;
    bool hadValue_ = false;
};

}  // namespace

TEST_F(PairProduct, RegisteredX64RuntimeHandsTheUnchangedCommandLineToTheSibling) {
    const std::wstring bounds = L"Minimum Version=880\nMaximum Version=880\n";
    ASSERT_TRUE(t.configure(
        bounds, L"Pair Product=" + siblingExe + L"\nPair Return Code=Yes\n"));
    // For the 64-bit sibling the 64-bit view is its own.
    ASSERT_TRUE(writeSiblingIni(Ini::configuration(bounds)));
    ASSERT_TRUE(files.writeScenario(L"Main=exit:4242\n"));
    // Installed in the 64-bit view, or for this user only, which both views list.
    for (bool perUser : {false, true}) {
        SCOPED_TRACE(perUser ? "per-user Temurin" : "64-bit view");
        RegisteredRuntimes keys;
        ASSERT_TRUE(perUser ? keys.addString(HKEY_CURRENT_USER, L"SOFTWARE\\Eclipse Adoptium\\JDK\\880.0.1.9\\hotspot\\EXE",
                                             L"Path", home64, RegistryView::bits64)
                            : keys.add(kJreRoot, L"880.0", home64, RegistryView::bits64))
            << toUtf8(keys.error());

        RunResult run = startApp();
        ASSERT_TRUE(run.started) << run.startError;
        EXPECT_FALSE(run.timedOut) << describeRun(run);
        EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
        EXPECT_EQ(run.exitCode, 4242u) << describeRun(run);
        std::vector<testjvm::RecordEntry> record = files.readRecord();
        expectSiblingRan(record);
        EXPECT_EQ(recordValue(record, "systemExit"), "4242");
    }
}

TEST_F(PairProduct, LaterStartsReachTheSiblingsFirstInstance) {
    // The 32-bit start that hands over is no first instance: a later start
    // hands over too, and the sibling's later start reaches the sibling's
    // first instance, which runs the VM.
    const std::wstring keys = L"JRE Path=" + home64 + L"\n";
    ASSERT_TRUE(t.configure(keys, L"Single Instance=yes\nPair Product=" + siblingExe + L"\nPair Return Code=Yes\n"));
    ASSERT_TRUE(writeSiblingIni(Ini::configuration(keys, L"Single Instance=yes\n")));
    ASSERT_TRUE(files.writeScenario(L"Main=sleep:6000\nSecondaryMain=int\nSecondaryResult=9\n"));
    auto first = std::async(std::launch::async, [this] { return t.start(L"erste").run; });
    for (int i = 0; i < 200 && !files.readRecord().size(); ++i) Sleep(50);
    Sleep(1000);
    RunOptions options = t.options(L"zweite.txt");
    options.timeoutMs = 5000;
    const RunResult later = runProgram(app.exePath(), options);
    EXPECT_EQ(later.exitCode, 9u) << describeRun(later);
    const RunResult firstRun = first.get();
    EXPECT_EQ(firstRun.exitCode, 0u) << describeRun(firstRun);
    const std::vector<testjvm::RecordEntry> record = files.readRecord();
    EXPECT_EQ(recordValue(record, "secondaryArgs.0"), "zweite.txt");
    EXPECT_EQ(recordValues(record, "loaded").size(), 1u);
}

TEST_F(PairProduct, StoredX64JrePathHandsOverToTheSibling) {
    ASSERT_TRUE(t.configure(
        L"JRE Path=" + home64 + L"\n", L"Pair Product=" + siblingExe + L"\nPair Return Code=yes\n"));
    ASSERT_TRUE(writeSiblingIni(Ini::configuration(L"JRE Path=" + home64 + L"\n")));
    ASSERT_TRUE(files.writeScenario(L"Main=exit:3\n"));

    RunResult run = startApp();
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, 3u) << describeRun(run);
    expectSiblingRan(files.readRecord());
}

TEST_F(PairProduct, WithoutPairReturnCodeTheLauncherEndsWhileTheSiblingRuns) {
    ASSERT_TRUE(t.configure(L"JRE Path=" + home64 + L"\n", L"Pair Product=" + siblingExe + L"\n"));
    ASSERT_TRUE(writeSiblingIni(Ini::configuration(L"JRE Path=" + home64 + L"\n")));
    ASSERT_TRUE(files.writeScenario(L"Main=sleep:5000,exit:7\n"));
    files.clearRecord();

    // Started here rather than through runProgram, which waits for the
    // sibling too: this launcher's own end is what matters.
    ScopedVariable record(testjvm::recordVariable, files.recordPath());
    ScopedVariable scenario(testjvm::scenarioVariable, files.scenarioPath());
    ScopedVariable appData(L"APPDATA", app.appDataPath());
    std::wstring commandLine = L"\"" + app.exePath() + L"\" " + kArguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessW(app.exePath().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, app.appPath().c_str(), &startup, &info))
        << GetLastError();
    UniqueHandle launcher(info.hProcess);
    UniqueHandle launcherThread(info.hThread);
    if (WaitForSingleObject(launcher.get(), 20000) != WAIT_OBJECT_0) {
        TerminateProcess(launcher.get(), 1);
        FAIL() << "the launcher did not end";
    }
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(launcher.get(), &exitCode));
    EXPECT_EQ(exitCode, 0u);

    // The sibling must still be in main's sleep: had the launcher waited for
    // it, it would have ended with 7.
    std::vector<testjvm::RecordEntry> entries;
    for (int waited = 0; waited < 200 && !recordValue(entries, "main"); waited++) {
        Sleep(50);
        entries = files.readRecord();
    }
    auto pid = recordValue(entries, "pid");
    ASSERT_TRUE(pid.has_value()) << "the sibling never loaded its runtime";
    UniqueHandle sibling(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION |
                                         PROCESS_TERMINATE,
                                     FALSE, static_cast<DWORD>(std::strtoul(pid->c_str(), nullptr, 10))));
    ASSERT_TRUE(sibling) << "the sibling had ended before the launcher returned";
    DWORD siblingExit = 0;
    ASSERT_TRUE(GetExitCodeProcess(sibling.get(), &siblingExit));
    EXPECT_EQ(siblingExit, static_cast<DWORD>(STILL_ACTIVE));

    // The app folder is removed after the test: let the sibling finish first.
    if (WaitForSingleObject(sibling.get(), 30000) != WAIT_OBJECT_0) {
        TerminateProcess(sibling.get(), 1);
        WaitForSingleObject(sibling.get(), 5000);
        FAIL() << "the sibling did not end";
    }
    ASSERT_TRUE(GetExitCodeProcess(sibling.get(), &siblingExit));
    EXPECT_EQ(siblingExit, 7u);
    expectSiblingRan(files.readRecord());
}

TEST_F(PairProduct, SiblingThatCannotStartIsReportedWithItsPath) {
    const std::wstring missing = app.appPath() + L"\\Missing64.exe";
    ASSERT_TRUE(t.configure(L"JRE Path=" + home64 + L"\n",
                                           L"Pair Product=" + missing + L"\nPair Return Code=Yes\n"));
    RunResult run = startApp();
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    const std::wstring& text = run.dialogs[0].text;
    const std::wstring head = L"Windows Fehler: " + missing + L": ";
    const std::wstring tail = L" (Fehlernummer = 2).\n";
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << toUtf8(text);
    ASSERT_GT(text.size(), head.size() + tail.size()) << toUtf8(text);
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << toUtf8(text);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(files.readRecord().empty());
}

// Without a pair product a runtime of the other processor shipped beside the
// executable is loaded in process, which Windows refuses: the developer sees
// why. (A stored folder of the other processor is passed over instead, and
// the user asked again.) Holds for either build.
TEST(PairProductAbsent, OtherMachineRuntimeBesideTheExecutableFailsToLoadWithError193) {
    if (standInJvmPath(StandIn::full, Machine::other).empty())
        GTEST_SKIP() << "the other architecture's build is missing";
    TestApp t;
    ASSERT_TRUE(t.folder.valid()) << toUtf8(t.folder.error());
    std::wstring home = t.folder.appPath() + L"\\jre";
    ASSERT_TRUE(makeRuntimeHome(home, VmKind::client, StandIn::full, Machine::other, true));
    ASSERT_TRUE(t.configure(L""));
    const Started started = t.start();
    const RunResult& run = started.run;

    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_TRUE(run.dialogs[0].messageBox);
    EXPECT_EQ(run.dialogs[0].text, L"Konnte Java VM Bibliothek: " + jvmPathIn(home, VmKind::client) +
                                       L" (Fehlernummer= 193) nicht laden.\n")
        << toUtf8(run.dialogs[0].text);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(started.record.empty());
}

TEST_F(PairProduct, PairProductNamingTheLauncherItselfIsRefusedWithOneBox) {
    // Named as the user wrote it, in other letter cases.
    std::wstring self = app.exePath();
    for (wchar_t& c : self) c = static_cast<wchar_t>(towupper(c));
    ASSERT_TRUE(t.configure(L"JRE Path=" + home64 + L"\n",
                                           L"Pair Product=" + self + L"\nPair Return Code=Yes\n"));
    RunResult run = startApp();
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_EQ(run.dialogs[0].text.find(L"Die Einstellung Pair Product in der INI-Datei nennt dieses Programm selbst: " +
                                       self + L"\n"),
              0u) << toUtf8(run.dialogs[0].text);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(files.readRecord().empty());
}

TEST_F(PairProduct, SiblingsNamingEachOtherForRuntimesNeitherLoadsEndWithOneBox) {
    // Each configuration chose the other's runtime: the start would go back
    // and forth for ever.
    const std::wstring home32 = app.root() + L"\\Jre32";
    ASSERT_TRUE(makeRuntimeHome(home32, VmKind::client));
    ASSERT_TRUE(t.configure(L"JRE Path=" + home64 + L"\n",
                                           L"Pair Product=" + siblingExe + L"\nPair Return Code=Yes\n"));
    ASSERT_TRUE(writeSiblingIni(Ini::configuration(L"JRE Path=" + home32 + L"\n",
                                              L"Pair Product=" + app.exePath() + L"\nPair Return Code=Yes\n")));
    RunResult run = startApp();
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    EXPECT_NE(run.dialogs[0].text.find(L"zurückgeben"), std::wstring::npos) << toUtf8(run.dialogs[0].text);
    EXPECT_NE(run.dialogs[0].text.find(app.exePath()), std::wstring::npos) << toUtf8(run.dialogs[0].text);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
    EXPECT_TRUE(files.readRecord().empty());
}
