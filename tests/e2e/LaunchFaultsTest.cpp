// Settings that used to lose output, stop the start or read the wrong file,
// each played on the stand-in runtime end to end.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/Registry_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "testjvm/TestJvm.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testjvm::recordValue;

namespace {

const DWORD kLauncherFailed = 0xFFFFFFFF;



bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One error box whose text is "Windows Fehler: <subject>: <system text>
// (Fehlernummer = <error>).\n", then the start ends with -1.
void expectObjectError(const RunResult& run, const std::wstring& subject, DWORD error) {
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
    const std::wstring& text = run.dialogs[0].text;
    const std::wstring head = L"Windows Fehler: " + subject + L": ";
    const std::wstring tail = L" (Fehlernummer = " + std::to_wstring(error) + L").\n";
    EXPECT_EQ(text.compare(0, head.size(), head), 0) << toUtf8(text);
    ASSERT_GT(text.size(), head.size() + tail.size()) << toUtf8(text);
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << toUtf8(text);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << describeRun(run);
}

// An application whose runtime is the stand-in (Runtime\ beside App\), with
// two jars in App\lib; the stand-in's main prints one line to each stream.
class LaunchFault : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::client)) << "the stand-in is not built";
        ASSERT_TRUE(createFolderTree(lib));
        ASSERT_TRUE(writeFileBytes(lib + L"\\a.jar", "") && writeFileBytes(lib + L"\\b.jar", ""));
        ASSERT_TRUE(files.writeScenario(L"Main=print\nStdoutLine=to out\nStderrLine=to err\n"));
    }

    // [Java Runtime Environment] with the main class, the stand-in's home and
    // runtimeKeys, then further sections.
    bool configure(const std::wstring& runtimeKeys, const std::wstring& sections) const {
        return app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home + L"\n" +
                            runtimeKeys + sections);
    }

    RunResult start(const std::wstring& program = L"",
                    std::vector<std::pair<std::wstring, std::wstring>> environment = {},
                    const std::wstring& workingDirectory = L"") {
        files.clearRecord();
        RunOptions options;
        options.appData = app.appDataPath();
        options.workingDirectory = workingDirectory;
        options.environment = files.environment();
        for (auto& variable : environment) options.environment.push_back(variable);
        run = runProgram(program.empty() ? app.exePath() : program, options);
        record = files.readRecord();
        return run;
    }

    std::string value(const std::string& key) const { return recordValue(record, key).value_or("<none>"); }

    std::vector<std::string> options() const {
        std::vector<std::string> list;
        for (int i = 0; recordValue(record, "option." + std::to_string(i)); ++i)
            list.push_back(value("option." + std::to_string(i)));
        return list;
    }

    void expectMainRan() const {
        EXPECT_FALSE(run.timedOut) << describeRun(run);
        EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
        EXPECT_TRUE(recordValue(record, "main")) << "main was not called";
    }

    AppFolder app;
    std::wstring home = app.root() + L"\\Runtime";
    std::wstring lib = app.appPath() + L"\\lib";
    StandInFiles files{app.root()};
    RunResult run;
    std::vector<testjvm::RecordEntry> record;
};

}  // namespace

TEST_F(LaunchFault, PlusSectionsAloneGiveNoEmptyOptionAndTheirJars) {
    ASSERT_TRUE(configure(L"", L"[Java Runtime Environment+]\nVirtual Machine Parameters=-Xmx512m\n"
                               L"[Class Path+]\nClass Path=\\lib\\*.jar\n"));
    start();
    expectMainRan();
    const std::vector<std::string> list = options();
    ASSERT_EQ(list.size(), 4u) << describeRun(run);
    EXPECT_TRUE(contains(list[0], toUtf8(lib + L"\\a.jar;"))) << list[0];
    EXPECT_EQ(list[1], "-Xmx512m");
}

TEST_F(LaunchFault, RelativeOutputFileGetsItsFoldersInTheWorkingDirectory) {
    ASSERT_TRUE(configure(L"", L"[Class Path]\nClass Path=\\lib\\*.jar\n"
                               L"[Application]\nOutput File=logs\\app.log\n"));
    start();
    expectMainRan();
    EXPECT_EQ(readFileBytes(app.appPath() + L"\\logs\\app.log"), "to out\r\n");
}

TEST_F(LaunchFault, FolderThatWasThereIsKeptWhenTheOutputFolderCannotBeMade) {
    const std::wstring theirs = app.root() + L"\\theirs";
    ASSERT_TRUE(CreateDirectoryW(theirs.c_str(), nullptr));
    ASSERT_TRUE(configure(L"", L"[Class Path]\nClass Path=\\lib\\*.jar\n"
                               L"[Application]\nOutput File=" + theirs + L"\\bad|name\\x\\out.log\n"));
    start();
    expectMainRan();
    EXPECT_TRUE(isFolder(theirs));
}

TEST_F(LaunchFault, NamesWithReferencesAreExpandedOnce) {
    ASSERT_TRUE(writeFileBytes(lib + L"\\x%JS_X%y.jar", ""));
    ASSERT_TRUE(configure(L"Library Path=C:\\native\n", L"[Class Path]\nClass Path=\\lib\\x*.jar\n"));
    DWORD size = GetEnvironmentVariableW(L"Path", nullptr, 0);
    std::wstring path(size, L'\0');
    path.resize(GetEnvironmentVariableW(L"Path", &path[0], size));
    path += L";C:\\p%JS_X%q";
    start(L"", {{L"JS_X", L"expanded"}, {L"Path", path}});
    expectMainRan();
    const std::vector<std::string> list = options();
    ASSERT_EQ(list.size(), 4u) << describeRun(run);
    EXPECT_TRUE(contains(list[0], "C:\\p%JS_X%q;")) << list[0];
    EXPECT_EQ(list[1], "-Djava.class.path=" + toUtf8(lib + L"\\x%JS_X%y.jar;"));
    EXPECT_TRUE(contains(value("env.Path"), "C:\\p%JS_X%q;")) << value("env.Path");
}

TEST_F(LaunchFault, LongDatePictureIsNotFormatted) {
    // About 270 characters between the "%" signs: the system's formatting
    // crashes on such pictures.
    ASSERT_TRUE(configure(L"", L"[Class Path]\nClass Path=\\lib\\*.jar\n[Application]\nOutput File=" + app.root() +
                               L"\\%" + std::wstring(270, L'x') + L"%\\out.log\n"));
    start();
    expectMainRan();
}

TEST_F(LaunchFault, ExecutableWithoutExtensionReadsTheIniBesideIt) {
    const std::wstring folder = app.root() + L"\\My.Folder";
    ASSERT_TRUE(createFolderTree(folder));
    const std::wstring tool = folder + L"\\Tool";
    ASSERT_TRUE(CopyFileW(app.exePath().c_str(), tool.c_str(), FALSE));
    // A decoy where the whole path's last "." would lead.
    ASSERT_TRUE(AppFolder::writeUtf16File(app.root() + L"\\My.ini", L"[Java Runtime Environment]\nJRE Path=x\n"));
    ASSERT_TRUE(AppFolder::writeUtf16File(tool + L".ini", L"[Java Runtime Environment]\nMain Class=com.example.App\n"
                                                          L"JRE Path=" + home + L"\n[Class Path]\nClass Path=C:\\a.jar\n"));
    start(tool);
    expectMainRan();
}

TEST_F(LaunchFault, LockedIniIsReportedAsUnreadable) {
    ASSERT_TRUE(configure(L"", L"[Class Path]\nClass Path=\\lib\\*.jar\n"));
    UniqueFile lock(CreateFileW(app.iniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    start();
    expectObjectError(run, app.iniPath(), ERROR_SHARING_VIOLATION);
}

TEST_F(LaunchFault, IniBeyondTheProfileApisPathLimitIsReportedAsUnreadable) {
    // Paths past MAX_PATH are made in their long-path form; Wine starts such
    // a program only by a name relative to the current directory.
    const std::wstring longForm = L"\\\\?\\";
    const std::wstring outer = app.root() + L"\\" + std::wstring(120, L'd');
    const std::wstring inner = std::wstring(120, L'e');
    const std::wstring ini = outer + L"\\" + inner + L"\\Sample.ini";
    ASSERT_GE(ini.size(), 260u);
    ASSERT_TRUE(CreateDirectoryW((longForm + outer).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((longForm + outer + L"\\" + inner).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(app.exePath().c_str(), (longForm + outer + L"\\" + inner + L"\\Sample.exe").c_str(), TRUE));
    ASSERT_TRUE(AppFolder::writeUtf16File(longForm + ini, L"[Java Runtime Environment]\nMain Class=com.example.App\n"
                                                          L"[Class Path]\nClass Path=C:\\a.jar\n"));
    wchar_t saved[MAX_PATH] = {};
    ASSERT_TRUE(GetCurrentDirectoryW(MAX_PATH, saved));
    ASSERT_TRUE(SetCurrentDirectoryW(outer.c_str()));
    start(inner + L"\\Sample.exe", {}, app.root());
    SetCurrentDirectoryW(saved);
    if (!run.started) GTEST_SKIP() << "Wine cannot start a program of that path: error " << run.startError;
    expectObjectError(run, ini, ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(LaunchFault, RegisteredHomeWithReferencesIsExpanded) {
    RegisteredRuntimes registry;
    const std::wstring javaHome = L"%JS_HOME_BASE%\\Runtime";
    ASSERT_TRUE(registry.addRaw(L"Software\\JavaSoft\\JRE", L"77.0", REG_EXPAND_SZ, javaHome.c_str(),
                                static_cast<DWORD>((javaHome.size() + 1) * sizeof(wchar_t)), ownRegistryView()))
        << toUtf8(registry.error());
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nMinimum Version=77\n"
                             L"[Class Path]\nClass Path=C:\\a.jar\n"));
    start(L"", {{L"JS_HOME_BASE", app.root()}});
    expectMainRan();
    EXPECT_EQ(value("env.LQ_JVM_HOME"), toUtf8(home));
}

TEST_F(LaunchFault, HugeStackSizeIsNotTakenForTheRuntimesDefault) {
    ASSERT_TRUE(files.writeScenario(L"DefaultStackSize=2097152\n"));
    ASSERT_TRUE(configure(L"Virtual Machine Parameters=-Xss4g\n", L"[Class Path]\nClass Path=C:\\a.jar\n"));
    start();
    expectMainRan();
    if (sizeof(void*) == 4) {
        // No room for 4 GiB of stack: the calling thread does the work.
        EXPECT_EQ(value("threadId"), value("loadThreadId"));
    } else {
        EXPECT_GE(std::stoull(value("stackReserve")), 0xFFFF0000ull) << value("stackReserve");
    }
}

// The 32-bit launcher with a 64-bit runtime shipped beside both executables
// hands the start to the 64-bit sibling.
TEST(LaunchFaultPair, RuntimeBesideTheExecutableOfTheOtherProcessorGoesToTheSibling) {
    if (sizeof(void*) == 8) GTEST_SKIP() << "the hand-over starts from the 32-bit launcher";
    const std::wstring sibling = siblingBinFolder();
    if (sibling.empty() || standInJvmPath(StandIn::full, Machine::other).empty()) GTEST_SKIP() << "no 64-bit build";
    AppFolder app;
    ASSERT_TRUE(app.valid()) << toUtf8(app.error());
    const std::wstring sibling64 = app.appPath() + L"\\Sample64.exe";
    ASSERT_TRUE(CopyFileW((sibling + L"\\launcher64.exe").c_str(), sibling64.c_str(), TRUE));
    ASSERT_TRUE(makeRuntimeHome(app.appPath() + L"\\jre", VmKind::client, StandIn::full, Machine::other, true));
    const std::wstring classPath = L"[Class Path]\nClass Path=C:\\a.jar\n";
    ASSERT_TRUE(app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\n[Application]\nPair Product=" +
                             sibling64 + L"\nPair Return Code=Yes\n" + classPath));
    ASSERT_TRUE(AppFolder::writeUtf16File(app.appPath() + L"\\Sample64.ini",
                                          L"[Java Runtime Environment]\nMain Class=com.example.App\n" + classPath));
    StandInFiles files(app.root());
    ASSERT_TRUE(files.writeScenario(L"Main=exit:5\n"));
    RunOptions options;
    options.appData = app.appDataPath();
    options.environment = files.environment();
    RunResult run = runProgram(app.exePath(), options);
    EXPECT_FALSE(run.timedOut) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    EXPECT_EQ(run.exitCode, 5u) << describeRun(run);
    EXPECT_EQ(recordValue(files.readRecord(), "machine").value_or(""), "x64");
}
