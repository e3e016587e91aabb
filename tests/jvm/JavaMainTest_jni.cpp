// The Java main thread's whole way on a real VM: each case creates a VM of
// its own, so it runs in a child process (one VM per process), and ends that
// process with 0 only when everything it checks held and DestroyJavaVM
// returned. A thread that ends attached makes DestroyJavaVM wait for ever: the
// child then ends with 3 after the time-out.
#include "jvm/JavaMain_jni.h"

#include "jvm/RealJvm.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

class Host : public JavaMainHost {
public:
    void reportVmCreationFailure(jint code) override { creationFailures.push_back(code); }
    void reportMainClassFailure(MainClassFailure failure, const std::wstring&) override {
        failures.push_back(failure);
    }
    void prepareStreamTargets(StreamTargets&) override {}
    void mainStarting() override { ++starts; }
    void closeSplash() override {}
    bool showUncaughtException(const std::wstring&) override { return false; }
    void parkForever() override { ++parks; }

    std::vector<jint> creationFailures;
    std::vector<MainClassFailure> failures;
    int starts = 0;
    int parks = 0;
};

JavaMainPlan planFor(const std::wstring& mainClass) {
    JavaMainPlan plan;
    plan.options = {realjvm::classPathOption()};
    plan.main.mainClass = mainClass;
    return plan;
}

struct Outcome {
    int result = -1;
    Host host;
};

// Runs the Java main thread's work on a thread of its own, as the launcher
// does, then destroys the VM from this thread as the teardown does.
Outcome runThenDestroy(JavaVmOwner& vm, const JavaMainPlan& plan) {
    Outcome outcome;
    std::thread javaMain([&] { outcome.result = runJavaMain(vm, plan, outcome.host); });
    javaMain.join();
    vm.destroy();
    return outcome;
}

}  // namespace

class JavaMainDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(JavaMainDeathTest, FailuresAfterTheVmExistsLeaveItSoThatDestroyReturns) {
    struct Case {
        const wchar_t* mainClass;
        bool throughLauncherHelper;
        MainClassFailure failure;
    };
    for (const Case& c : {Case{L"testapp/NoMain", false, MainClassFailure::noMainMethod},
                          Case{L"testapp/NoMain", true, MainClassFailure::noMainMethod},
                          Case{L"testapp/DoesNotExist", true, MainClassFailure::classNotFound},
                          Case{L"testapp/DoesNotExist", false, MainClassFailure::classNotFound}}) {
        EXPECT_EXIT(
            {
                realjvm::exitIfStillRunningAfter(60);
                JvmEntryPoints points = realjvm::entryPoints();
                if (!c.throughLauncherHelper) points.findClassFromBootLoader = nullptr;
                JavaVmOwner vm(points);
                Outcome outcome = runThenDestroy(vm, planFor(c.mainClass));
                const bool reported = outcome.host.failures == std::vector<MainClassFailure>{c.failure};
                std::fprintf(stderr, "destroyed\n");
                _exit(outcome.result == 1 && reported && outcome.host.starts == 0 && !vm.exists() ? 0 : 4);
            },
            ::testing::ExitedWithCode(0), "destroyed")
            << std::string(c.mainClass, c.mainClass + std::wcslen(c.mainClass))
            << (c.throughLauncherHelper ? " through the launcher helper" : "");
    }
}

TEST_F(JavaMainDeathTest, MainThatReturnsEndsWithZeroAndTheVmIsDestroyed) {
    EXPECT_EXIT(
        {
            realjvm::exitIfStillRunningAfter(60);
            JavaVmOwner vm(realjvm::entryPoints());
            Outcome outcome = runThenDestroy(vm, planFor(L"testapp/Recorder"));
            std::fprintf(stderr, "destroyed\n");
            _exit(outcome.result == 0 && outcome.host.starts == 1 && !vm.exists() ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "destroyed");
}

TEST_F(JavaMainDeathTest, ExceptionFromMainEndsAsThrownUnlessTheUserLetsItGo) {
    for (bool failureCheck : {false, true}) {
        EXPECT_EXIT(
            {
                realjvm::exitIfStillRunningAfter(60);
                JavaVmOwner vm(realjvm::entryPoints());
                JavaMainPlan plan = planFor(L"testapp/Recorder");
                plan.main.arguments = {L"throw"};
                plan.main.failureCheck = failureCheck;  // the test host answers "Ignorieren"
                Outcome outcome = runThenDestroy(vm, plan);
                const int expected = failureCheck ? kJavaMainReturned : kJavaMainThrew;
                _exit(outcome.result == expected && !vm.exists() ? 0 : 4);
            },
            ::testing::ExitedWithCode(0), "")
            << "failure check " << failureCheck;
    }
}

TEST_F(JavaMainDeathTest, ServiceVmEndsWithMainAndKeptThreadsAreParkedFirst) {
    EXPECT_EXIT(
        {
            realjvm::exitIfStillRunningAfter(60);
            JavaVmOwner vm(realjvm::entryPoints());
            JavaMainPlan plan = planFor(L"testapp/Recorder");
            plan.destroyAfterMain = true;
            plan.main.keepThreadAlive = true;  // the test host's park returns at once
            Outcome outcome;
            std::thread javaMain([&] { outcome.result = runJavaMain(vm, plan, outcome.host); });
            javaMain.join();
            _exit(outcome.result == 0 && outcome.host.parks == 1 && !vm.exists() ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(JavaMainDeathTest, VmThatCannotBeCreatedIsReported) {
    EXPECT_EXIT(
        {
            realjvm::exitIfStillRunningAfter(60);
            JavaVmOwner vm(realjvm::entryPoints());
            JavaMainPlan plan = planFor(L"testapp/Recorder");
            plan.options.push_back("-XX:+NoSuchOptionAnywhere");
            Outcome outcome = runThenDestroy(vm, plan);
            _exit(outcome.result == 1 && outcome.host.creationFailures.size() == 1 &&
                          outcome.host.creationFailures[0] != JNI_OK && !vm.exists()
                      ? 0
                      : 4);
        },
        ::testing::ExitedWithCode(0), "");
}
