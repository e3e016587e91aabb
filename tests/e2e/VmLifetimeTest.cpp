// The VM's lifetime on a stand-in runtime as strict as HotSpot: DestroyJavaVM
// waits for every attached non-daemon thread (for ever for one that ended
// attached), LauncherHelper.checkAndLoadMain ends the process itself for a
// class it cannot use, and local references live until they are deleted.
#include "support/Registry_win.h"
#include "support/TestApp_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testjvm::RecordEntry;
using testjvm::recordValue;

const DWORD kEndsWithinMs = 15000;

using Start = Started;

// An installed application whose runtime is the stand-in, laid out in
// Runtime\ beside App\.
class VmLifetime : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.valid()) << toUtf8(app.error()); }

    bool layOutRuntime(StandIn variant = StandIn::full) { return makeRuntimeHome(home, VmKind::client, variant); }

    // runtimeKeys go into the runtime section after the main class.
    bool configure(const std::wstring& runtimeKeys) const { return t.configure(runtimeKeys); }

    bool configureWithJrePath(const std::wstring& runtimeKeys = L"") const {
        return configure(L"JRE Path=" + home + L"\n" + runtimeKeys);
    }

    Start start(DWORD timeoutMs = kEndsWithinMs, const std::wstring& arguments = L"") const {
        RunOptions options = t.options(arguments);
        options.timeoutMs = timeoutMs;
        return t.start(options);
    }

    TestApp t;
    AppFolder& app = t.folder;
    const StandInFiles& files = t.standIn;
    std::wstring home = app.root() + L"\\Runtime";
};

// No JNI call with an exception pending, none the launcher has no business
// making, no stale reference.
void expectNoMisuse(const Start& start) {
    for (const char* key : {"pendingExceptionAt", "unexpected", "fault"})
        EXPECT_FALSE(start.has(key)) << key << start.text();
}

// The thread that created the VM left it before DestroyJavaVM was called.
void expectCreatorDetachedBeforeDestroy(const Start& start) {
    size_t detached = start.record.size();
    for (size_t i = 0; i < start.record.size(); ++i) {
        const RecordEntry& entry = start.record[i];
        if (entry.key == "detachCurrentThread" && entry.value == start.value("threadId")) detached = i;
        if (entry.key == "destroyJavaVm") {
            EXPECT_LT(detached, i) << "DestroyJavaVM before the VM's creator detached" << start.text();
            return;
        }
    }
    ADD_FAILURE() << "no DestroyJavaVM" << start.text();
}

// ---------------------------------------------------------------------------
// A failure once the VM exists ends the process

struct LateFailure {
    const char* name;
    StandIn variant;
    const wchar_t* scenario;
    const wchar_t* message;
};

void PrintTo(const LateFailure& c, std::ostream* os) { *os << c.name; }

class FailureAfterVmCreation : public VmLifetime, public ::testing::WithParamInterface<LateFailure> {};

TEST_P(FailureAfterVmCreation, ShowsOneBoxAndEndsWithMinusOne) {
    const LateFailure& c = GetParam();
    ASSERT_TRUE(layOutRuntime(c.variant));
    ASSERT_TRUE(configureWithJrePath());
    ASSERT_TRUE(files.writeScenario(c.scenario));

    Start result = start();
    ASSERT_TRUE(result.run.started) << "CreateProcessW error " << result.run.startError;
    ASSERT_FALSE(result.run.timedOut) << "DestroyJavaVM waits for ever for thread "
                                      << result.value("destroyJavaVm.waitsForEver") << "; " << result.text();
    ASSERT_EQ(result.run.dialogs.size(), 1u) << result.text();
    EXPECT_TRUE(result.run.dialogs[0].messageBox);
    EXPECT_EQ(result.run.dialogs[0].text, c.message) << toUtf8(result.run.dialogs[0].text);
    EXPECT_EQ(result.run.exitCode, kLauncherFailed) << result.text();
    EXPECT_FALSE(result.has("main"));
    expectCreatorDetachedBeforeDestroy(result);
    expectNoMisuse(result);
}

const wchar_t* const kNoMain = L"Keine Main class in der angegebenen Klasse gefunden.\n";

INSTANTIATE_TEST_SUITE_P(
    VmLifetime, FailureAfterVmCreation,
    ::testing::Values(
        LateFailure{"NoMainThroughLauncherHelper", StandIn::full, L"HasMain=no\nMissingMethodThrows=no\n", kNoMain},
        LateFailure{"NoMainThroughLauncherHelperWithError", StandIn::full, L"HasMain=no\nMissingMethodThrows=yes\n",
                    kNoMain},
        LateFailure{"NoMainWithoutBootLoaderExport", StandIn::noBootLoader, L"HasMain=no\nMissingMethodThrows=no\n",
                    kNoMain},
        LateFailure{"NoMainWithoutBootLoaderExportWithError", StandIn::noBootLoader,
                    L"HasMain=no\nMissingMethodThrows=yes\n", kNoMain},
        LateFailure{"MissingClassThroughLauncherHelper", StandIn::full, L"MainClass=com/example/Other\n",
                    L"Konnte die Main class com/example/App nicht finden.\n"}),
    [](const ::testing::TestParamInfo<LateFailure>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The Java main thread stays in the VM only on an IBM runtime

class ProviderAdmittingIbm : public VmLifetime, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(ProviderAdmittingIbm, DoesNotKeepTheThreadOnAnotherRuntime) {
    ASSERT_TRUE(layOutRuntime());
    ASSERT_TRUE(configureWithJrePath(std::wstring(L"VM Provider=") + GetParam() + L"\n"));
    ASSERT_TRUE(files.writeScenario(L"Main=return\n"));
    Start result = start();
    ASSERT_TRUE(result.run.started) << "CreateProcessW error " << result.run.startError;
    ASSERT_FALSE(result.run.timedOut) << result.text();
    EXPECT_EQ(result.run.exitCode, 0u) << result.text();
    EXPECT_TRUE(result.has("main")) << result.text();
    EXPECT_EQ(result.value("detachCurrentThread"), result.value("threadId")) << result.text();
}

INSTANTIATE_TEST_SUITE_P(VmLifetime, ProviderAdmittingIbm, ::testing::Values(L"any", L"favor_sun", L"favor_ibm"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return toUtf8(info.param);
                         });

TEST_F(VmLifetime, RegisteredIbmRuntimeKeepsTheJavaMainThreadAfterMain) {
    ASSERT_TRUE(layOutRuntime());
    RegisteredRuntimes registry;
    ASSERT_TRUE(registry.add(L"Software\\IBM\\Java2 Runtime Environment", L"881.1", home, ownRegistryView()))
        << toUtf8(registry.error());
    ASSERT_TRUE(configure(L"VM Provider=ibm\nMinimum Version=881\nMaximum Version=881\n"));
    ASSERT_TRUE(files.writeScenario(L"Main=return\n"));
    Start result = start(4000);
    EXPECT_EQ(result.value("loaded"), toUtf8(jvmPathIn(home, VmKind::client))) << result.text();
    EXPECT_TRUE(result.has("main")) << result.text();
    EXPECT_TRUE(result.run.timedOut) << result.text();
    EXPECT_FALSE(result.has("detachCurrentThread")) << result.text();
}

TEST_F(VmLifetime, OnAnIbmRuntimeTheSplashGoesWhenMainReturns) {
    ASSERT_TRUE(layOutRuntime());
    RegisteredRuntimes registry;
    ASSERT_TRUE(registry.add(L"Software\\IBM\\Java2 Runtime Environment", L"881.1", home, ownRegistryView()))
        << toUtf8(registry.error());
    const std::wstring picture = app.root() + L"\\Splash.png";
    ASSERT_TRUE(CopyFileW((testBinFolder() + L"\\pictures\\splash-400x300.png").c_str(), picture.c_str(), FALSE));
    ASSERT_TRUE(t.folder.writeIni(TestApp::configuration(L"VM Provider=ibm\nMinimum Version=881\nMaximum Version=881\n",
                                                         L"", L"[Display]\nSplash Screen=" + picture + L"\n")));
    ASSERT_TRUE(files.writeScenario(L"Main=sleep:1500\n"));
    // The thread stays in the VM after main: the process lives on until it is ended.
    bool shown = false;
    bool shownAfterMain = false;
    std::thread watcher([&] {
        const DWORD begin = GetTickCount();
        while (GetTickCount() - begin < 5500) {
            HWND splash = FindWindowW(L"SplashScreenWindow", nullptr);
            const bool visible = splash != nullptr && IsWindowVisible(splash);
            shown = shown || visible;
            if (visible && GetTickCount() - begin > 4000) shownAfterMain = true;
            Sleep(20);
        }
    });
    Start result = start(6000);
    watcher.join();
    EXPECT_TRUE(result.run.timedOut) << result.text();
    EXPECT_TRUE(result.has("main")) << result.text();
    EXPECT_TRUE(shown) << "the splash never showed";
    EXPECT_FALSE(shownAfterMain) << "the splash stayed after main";
}

// ---------------------------------------------------------------------------
// Local references

TEST_F(VmLifetime, ManyArgumentsReachMainWithFewLiveLocalReferences) {
    ASSERT_TRUE(layOutRuntime());
    ASSERT_TRUE(configureWithJrePath());
    ASSERT_TRUE(files.writeScenario(L""));
    std::wstring arguments;
    for (int i = 0; i < 300; ++i) arguments += L"arg" + std::to_wstring(i) + L" ";
    Start result = start(kEndsWithinMs, arguments);
    EXPECT_FALSE(result.run.timedOut) << result.text();
    ASSERT_EQ(result.value("mainArgs.count"), "300") << result.text();
    EXPECT_EQ(result.value("mainArgs.299"), "arg299");
    ASSERT_TRUE(result.has("mainLiveLocalRefs"));
    EXPECT_LT(std::atoi(result.value("mainLiveLocalRefs").c_str()), 32) << result.text().substr(0, 2000);
}

}  // namespace
