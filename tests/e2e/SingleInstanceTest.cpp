// Single-instance mode on the stand-in runtime: a later start of the same
// executable hands its arguments to the first instance's secondaryMain and
// ends with the answer, or with the first instance's exit code.
#include "support/AppFolder_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"
#include "testjvm/TestJvm.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

namespace {

using testjvm::RecordEntry;
using testjvm::recordValue;
using testjvm::recordValues;

const DWORD kLauncherFailed = 0xFFFFFFFF;

std::string describe(const std::vector<RecordEntry>& record) {
    std::string lines;
    for (const RecordEntry& entry : record) lines += "\n  " + entry.key + "=" + entry.value;
    return lines;
}

// How many threads the process has now.
std::size_t threadsOf(DWORD pid) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == pid) ++count;
    return count;
}

std::size_t indexOf(const std::vector<RecordEntry>& record, const std::string& key) {
    for (std::size_t i = 0; i < record.size(); ++i)
        if (record[i].key == key) return i;
    return record.size();
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::client));
        ASSERT_TRUE(configure());
    }
    void TearDown() override {
        // A first instance still running is ended with the test.
        if (first.valid() && first.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            endFirstInstance(99);
            first.wait();
        }
    }

    bool configure(const std::wstring& applicationKeys = L"Single Instance=yes\n", bool withRuntime = true) const {
        return app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\n" +
                            (withRuntime ? L"JRE Path=" + home + L"\n" : std::wstring()) +
                            L"[Class Path]\nClass Path=C:\\app.jar\n[Application]\n" + applicationKeys);
    }

    RunOptions options(const std::wstring& arguments = L"") const {
        RunOptions result;
        result.arguments = arguments;
        result.appData = app.appDataPath();
        result.environment = files.environment();
        result.timeoutMs = 30000;
        return result;
    }

    std::future<RunResult> startAsync(const std::wstring& arguments) const {
        const std::wstring exe = app.exePath();
        const RunOptions runOptions = options(arguments);
        return std::async(std::launch::async, [exe, runOptions] { return runProgram(exe, runOptions); });
    }

    // True once the record holds key, within 15 s.
    bool awaitRecord(const char* key) const {
        for (int i = 0; i < 300 && !recordValue(files.readRecord(), key); ++i) Sleep(50);
        return recordValue(files.readRecord(), key).has_value();
    }

    // Starts the first instance with scenario and waits until its record
    // holds key (main: main is running).
    void startFirst(const std::wstring& scenario, const char* key = "main") {
        files.clearRecord();
        ASSERT_TRUE(files.writeScenario(scenario));
        first = startAsync(L"first");
        ASSERT_TRUE(awaitRecord(key)) << "the first instance did not get to " << key;
    }

    RunResult later(const std::wstring& arguments) const { return runProgram(app.exePath(), options(arguments)); }

    // A later start that the test ends itself: its process.
    UniqueHandle startToKill(const std::wstring& arguments) const {
        std::wstring commandLine = L"\"" + app.exePath() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(app.exePath().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &info))
            return UniqueHandle();
        CloseHandle(info.hThread);
        return UniqueHandle(info.hProcess);
    }

    // The shared objects' name: the executable's path with "/" for "\".
    std::wstring instanceName() const {
        std::wstring name = app.exePath();
        std::replace(name.begin(), name.end(), L'\\', L'/');
        return name;
    }

    void endFirstInstance(UINT code) const {
        const auto pid = recordValue(files.readRecord(), "pid");
        if (!pid) return;
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(std::stoul(*pid))));
        if (process) TerminateProcess(process.get(), code);
    }

    AppFolder app;
    StandInFiles files{app.root()};
    std::wstring home = app.root() + L"\\Runtime";
    std::future<RunResult> first;
};

}  // namespace

TEST_F(SingleInstance, ArgumentsReachSecondaryMainAndItsAnswerEndsTheLaterStart) {
    struct Case {
        const wchar_t* secondary;
        DWORD exitCode;
    } cases[] = {
        // The int variant answers with its result once it has returned; the
        // void one answers 0 at once, while the call is still running.
        {L"SecondaryMain=int\nSecondaryResult=7\nSecondaryAction=sleep:1000\n", 7},
        {L"SecondaryMain=void\nSecondaryAction=sleep:10000\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.secondary));
        startFirst(std::wstring(L"Main=sleep:3000\n") + c.secondary);
        const DWORD began = GetTickCount();
        RunResult run = later(L"one \"two words\"");
        const DWORD took = GetTickCount() - began;
        EXPECT_EQ(run.exitCode, c.exitCode) << describeRun(run);
        EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
        if (c.exitCode == 0) {
            EXPECT_LT(took, 8000u) << "the void variant answers before the call";
        }
        // The first instance ends as usual: the worker has left the VM.
        RunResult firstRun = first.get();
        EXPECT_FALSE(firstRun.timedOut) << describeRun(firstRun);
        const std::vector<RecordEntry> record = files.readRecord();
        EXPECT_EQ(recordValue(record, "secondaryArgs.count"), "2") << describe(record);
        EXPECT_EQ(recordValue(record, "secondaryArgs.0"), "one");
        EXPECT_EQ(recordValue(record, "secondaryArgs.1"), "two words");
        EXPECT_EQ(recordValues(record, "main").size(), 1u) << "the later start ran Java of its own";
        for (const char* misuse : {"pendingExceptionAt", "unexpected", "fault", "destroyJavaVm.waitsForEver"})
            EXPECT_FALSE(recordValue(record, misuse)) << misuse << describe(record);
    }

}

TEST_F(SingleInstance, ListsBeyondTheBlockArriveWholeInOneCall) {
    // The user selects 300 files and presses Enter; a tool passes one long text.
    std::wstring files300;
    std::wstring name;
    for (int i = 0; i < 300; ++i) {
        name = L"C:\\Users\\\u0141ukasz\\Bilder\\Urlaub " + std::to_wstring(i) + L".jpg";
        files300 += L"\"" + name + L"\" ";
    }
    const std::wstring longText(30000, L'\u00e4');
    startFirst(L"Main=sleep:60000\nSecondaryMain=int\nSecondaryResult=5\n");
    EXPECT_EQ(later(files300).exitCode, 5u);
    std::vector<RecordEntry> record = files.readRecord();
    EXPECT_EQ(recordValue(record, "secondaryArgs.count"), "300");
    EXPECT_EQ(recordValue(record, "secondaryArgs.299"), toUtf8(name));
    EXPECT_EQ(later(L"\"" + longText + L"\"").exitCode, 5u);
    record = files.readRecord();
    EXPECT_EQ(recordValues(record, "secondaryMain").size(), 2u);
    EXPECT_EQ(recordValues(record, "secondaryArgs.0").back(), toUtf8(longText));
}

TEST_F(SingleInstance, LaterStartsOverlapOnceTheirArgumentsAreTaken) {
    startFirst(L"Main=sleep:60000\nSecondaryMain=int\nSecondaryResult=3\nSecondaryAction=sleep:2000\n");
    const DWORD began = GetTickCount();
    std::vector<std::future<RunResult>> starts;
    for (int i = 0; i < 20; ++i) starts.push_back(startAsync(L"doc-" + std::to_wstring(i)));
    for (auto& start : starts) EXPECT_EQ(start.get().exitCode, 3u);
    EXPECT_LT(GetTickCount() - began, 15000u) << "20 calls of 2 s took turns";
    EXPECT_EQ(recordValues(files.readRecord(), "secondaryMain").size(), 20u);
}

TEST_F(SingleInstance, WithoutSecondaryMainTheLaterStartEndsWithTheFirstInstancesCode) {
    startFirst(L"Main=sleep:3000,exit:5\n");
    RunResult run = later(L"a.txt");
    EXPECT_EQ(run.exitCode, 5u) << describeRun(run);
    EXPECT_EQ(first.get().exitCode, 5u);
}

TEST_F(SingleInstance, CapitalYesAndAServiceStartEveryTimeOfTheirOwn) {
    for (const wchar_t* keys : {L"Single Instance=Yes\n", L"Single Instance=yes\nApplication Type=service\n"}) {
        SCOPED_TRACE(toUtf8(keys));
        ASSERT_TRUE(configure(keys));
        startFirst(L"Main=sleep:3000\nSecondaryMain=void\n");
        RunResult second = later(L"second");
        EXPECT_EQ(second.exitCode, 0u) << describeRun(second);
        first.get();
        const std::vector<RecordEntry> record = files.readRecord();
        EXPECT_EQ(recordValues(record, "main").size(), 2u) << describe(record);
        EXPECT_FALSE(recordValue(record, "secondaryMain")) << describe(record);
    }
}

TEST_F(SingleInstance, LaterStartIsHeldUntilMainIsAboutToRunAndNeedsNoRuntime) {
    // The first instance is still creating its VM when the later start comes.
    startFirst(L"CreateDelay=3000\nMain=sleep:2000\nSecondaryMain=int\nSecondaryResult=3\n", "loaded");
    // The later start finds no runtime anywhere, and asks for none.
    ASSERT_TRUE(configure(L"Single Instance=yes\n", false));
    RunResult run = later(L"early");
    EXPECT_EQ(run.exitCode, 3u) << describeRun(run);
    EXPECT_TRUE(run.dialogs.empty()) << describeRun(run);
    first.get();
    const std::vector<RecordEntry> record = files.readRecord();
    EXPECT_LT(indexOf(record, "main"), indexOf(record, "secondaryMain")) << describe(record);
    EXPECT_EQ(recordValue(record, "secondaryArgs.0"), "early");
}

TEST_F(SingleInstance, TwentyLaterStartsAtOnceAreEachDeliveredExactlyOnce) {
    startFirst(L"Main=sleep:60000\nSecondaryMain=void\n");
    std::vector<std::future<RunResult>> starts;
    std::vector<std::string> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back("file-" + std::to_string(i) + ".txt");
        starts.push_back(startAsync(L"file-" + std::to_wstring(i) + L".txt"));
    }
    for (auto& start : starts) EXPECT_EQ(start.get().exitCode, 0u);
    // The void variant answers before the call: give the last calls a moment.
    std::vector<std::string> delivered;
    for (int i = 0; i < 100 && delivered.size() < sent.size(); ++i, Sleep(50))
        delivered = recordValues(files.readRecord(), "secondaryArgs.0");
    std::sort(sent.begin(), sent.end());
    std::sort(delivered.begin(), delivered.end());
    EXPECT_EQ(delivered, sent);
}

TEST_F(SingleInstance, NoLaterStartHangsWhenTheFirstInstanceOrAnotherLaterStartIsKilled) {
    // A later start killed while it holds its turn (its call runs) leaves the
    // way free: the next one takes the turn over.
    startFirst(L"Main=sleep:20000\nSecondaryMain=int\nSecondaryResult=7\nSecondaryAction=sleep:2000\n");
    UniqueHandle killed = startToKill(L"killed");
    ASSERT_TRUE(killed);
    ASSERT_TRUE(awaitRecord("secondaryMain"));
    TerminateProcess(killed.get(), 1);
    RunResult next = later(L"next");
    EXPECT_EQ(next.exitCode, 7u) << describeRun(next);
    EXPECT_EQ(recordValues(files.readRecord(), "secondaryArgs.0"), (std::vector<std::string>{"killed", "next"}));

    endFirstInstance(0);
    first.wait();

    // The first instance killed while three wait (one for the answer, two for
    // their turn): each ends soon with its exit code.
    startFirst(L"Main=sleep:60000\n");
    std::vector<std::future<RunResult>> starts;
    for (int i = 0; i < 3; ++i) starts.push_back(startAsync(L"waiting-" + std::to_wstring(i)));
    Sleep(3000);
    endFirstInstance(9);
    const DWORD ended = GetTickCount();
    for (auto& start : starts) {
        RunResult run = start.get();
        EXPECT_EQ(run.exitCode, 9u) << describeRun(run);
    }
    EXPECT_LT(GetTickCount() - ended, 5000u);
}

TEST_F(SingleInstance, AFloodOfForgedRequestsMakesNoThreadEachAndNoRealListTwice) {
    startFirst(L"Main=sleep:60000\nSecondaryMain=void\nSecondaryAction=sleep:100\n");
    EXPECT_EQ(later(L"real.txt").exitCode, 0u);
    // Any program can post requests: 500 of them, as an earlier build's.
    const std::wstring name = instanceName();
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    ASSERT_TRUE(mapping);
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 12));
    ASSERT_TRUE(view);
    const auto* header = static_cast<const DWORD*>(view.get());
    for (int i = 0; i < 500; ++i) PostThreadMessageW(header[0], header[2], GetCurrentThreadId(), 0);
    const DWORD pid = static_cast<DWORD>(std::stoul(*recordValue(files.readRecord(), "pid")));
    std::size_t most = 0;
    for (int i = 0; i < 100; ++i, Sleep(20)) most = std::max(most, threadsOf(pid));
    EXPECT_LT(most, 40u) << "a thread for each request";
    EXPECT_EQ(recordValues(files.readRecord(), "secondaryArgs.0").front(), "real.txt");
    const std::vector<std::string> delivered = recordValues(files.readRecord(), "secondaryArgs.0");
    EXPECT_EQ(std::count(delivered.begin(), delivered.end(), "real.txt"), 1);
}

TEST_F(SingleInstance, ALaterStartKilledWhileHeldBackLosesNothingAndDoublesNothing) {
    // Held back until main is about to run: the first instance is still
    // starting when one later start comes and is killed, and another comes.
    startFirst(L"Main=sleep:60000\nSecondaryMain=void\nCreateDelay=4000\n", "loaded");
    UniqueHandle killed = startToKill(L"killed");
    ASSERT_TRUE(killed);
    Sleep(1000);
    TerminateProcess(killed.get(), 1);
    EXPECT_EQ(later(L"next").exitCode, 0u);
    std::vector<std::string> delivered;
    for (int i = 0; i < 100 && delivered.size() < 2; ++i, Sleep(50))
        delivered = recordValues(files.readRecord(), "secondaryArgs.0");
    std::sort(delivered.begin(), delivered.end());
    EXPECT_EQ(delivered, (std::vector<std::string>{"killed", "next"}));
}

TEST_F(SingleInstance, AnIntSecondaryMainThatThrowsEndsTheLaterStartWithOne) {
    startFirst(L"Main=sleep:60000\nSecondaryMain=int\nSecondaryResult=7\nSecondaryAction=throw\n");
    EXPECT_EQ(later(L"broken.txt").exitCode, 1u);
}

TEST_F(SingleInstance, ALaterStartNotServedRunsTheApplicationItself) {
    // The first instance ends while it serves (the user closes it, or it
    // crashes): the later start becomes the first instance and opens its file.
    startFirst(L"Main=sleep:3000\nSecondaryMain=int\nSecondaryAction=sleep:10000\n");
    auto latecomer = startAsync(L"doc.txt");
    ASSERT_TRUE(awaitRecord("secondaryMain"));
    endFirstInstance(0);
    const RunResult run = latecomer.get();
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    const std::vector<RecordEntry> record = files.readRecord();
    EXPECT_EQ(recordValues(record, "main").size(), 2u) << describe(record);
    EXPECT_EQ(recordValues(record, "mainArgs.0").back(), "doc.txt");
}

TEST_F(SingleInstance, ABlockThatNoFirstInstanceOwnsLetsTheStartRunTheApplication) {
    // Another program made the block first: zeros, then a header naming this
    // test's own process.
    const std::wstring name = instanceName();
    UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092, name.c_str()));
    ASSERT_TRUE(mapping);
    UniqueWritableView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 2092));
    ASSERT_TRUE(view);
    auto* header = static_cast<DWORD*>(view.get());
    ASSERT_TRUE(files.writeScenario(L""));
    for (int garbled = 0; garbled < 2; ++garbled) {
        if (garbled) {
            header[0] = GetCurrentThreadId();
            header[1] = GetCurrentProcessId();
            header[2] = 0xC123;
        }
        files.clearRecord();
        const RunResult run = later(L"own.txt");
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
        EXPECT_EQ(recordValue(files.readRecord(), "mainArgs.0"), "own.txt") << garbled;
    }
}

TEST_F(SingleInstance, ATurnThatAnotherProgramHoldsForGoodHoldsNoLaterStartForGood) {
    const std::wstring name = instanceName();
    UniqueHandle turn(CreateMutexW(nullptr, TRUE, (name + L"_fwd_mtx").c_str()));
    ASSERT_TRUE(turn);
    startFirst(L"Main=sleep:60000\nSecondaryMain=int\nSecondaryResult=4\n");
    const RunResult run = later(L"waiting.txt");
    EXPECT_EQ(run.exitCode, 4u) << describeRun(run);
    EXPECT_EQ(recordValue(files.readRecord(), "secondaryArgs.0"), "waiting.txt");
}

TEST_F(SingleInstance, AFirstInstanceWhoseListenerIsGoneLetsTheStartRunTheApplication) {
    startFirst(L"Main=sleep:60000\nSecondaryMain=void\n");
    const std::wstring name = instanceName();
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    ASSERT_TRUE(mapping);
    UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 12));
    ASSERT_TRUE(view);
    UniqueHandle listener(OpenThread(THREAD_TERMINATE | SYNCHRONIZE, FALSE, static_cast<const DWORD*>(view.get())[0]));
    ASSERT_TRUE(listener);
    ASSERT_TRUE(TerminateThread(listener.get(), 0));
    WaitForSingleObject(listener.get(), 5000);
    ASSERT_TRUE(files.writeScenario(L"Main=return\n"));
    const RunResult run = later(L"own.txt");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    EXPECT_EQ(recordValues(files.readRecord(), "mainArgs.0").back(), "own.txt");
}
