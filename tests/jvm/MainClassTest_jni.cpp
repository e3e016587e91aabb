#include "jvm/MainClass_jni.h"

#include "jvm/RealJvm.h"
#include "resources/resource.h"
#include "util/Utf16.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Records what the invocation asks of the launcher.
class RecordingHost : public JavaMainHost {
public:
    void reportError(unsigned id, const std::wstring& argument) override {
        errors.emplace_back(id, argument);
    }
    void mainStarting() override { ++starts; }
    void closeSplash() override { ++splashCloses; }
    bool showUncaughtException(jthrowable exception, JNIEnv*) override {
        shownException = exception != nullptr;
        return stopOnException;
    }
    void parkForever() override { ++parks; }

    std::vector<std::pair<unsigned, std::wstring>> errors;
    int starts = 0;
    int splashCloses = 0;
    int parks = 0;
    bool shownException = false;
    bool stopOnException = false;
};

struct MainRun {
    bool result = false;
    int calls = 0;        // Recorder.calls after the run
    std::string lastArgs; // Recorder.describe(lastArgs)
};

// Runs the main class on a Java thread and reads back what Recorder saw.
MainRun runOnJavaThread(const MainClassRequest& request, RecordingHost& host) {
    MainRun run;
    realjvm::onJavaThread([&](JNIEnv* env) {
        run.result = runMainClass(env, realjvm::vm(), request, host);
    });
    realjvm::onJavaThread([&](JNIEnv* env) {
        jclass recorder = env->FindClass("testapp/Recorder");
        ASSERT_NE(recorder, nullptr);
        run.calls = env->GetStaticIntField(recorder, env->GetStaticFieldID(recorder, "calls", "I"));
        auto args = static_cast<jobjectArray>(env->GetStaticObjectField(
            recorder, env->GetStaticFieldID(recorder, "lastArgs", "[Ljava/lang/String;")));
        if (args == nullptr) return;
        jmethodID describe = env->GetStaticMethodID(recorder, "describe",
                                                    "([Ljava/lang/String;)Ljava/lang/String;");
        auto text = static_cast<jstring>(env->CallStaticObjectMethod(recorder, describe, args));
        const char* utf = env->GetStringUTFChars(text, nullptr);
        run.lastArgs = utf;
        env->ReleaseStringUTFChars(text, utf);
    });
    return run;
}

MainClassRequest request(const std::wstring& mainClass, std::vector<std::wstring> arguments,
                         bool throughLauncherHelper) {
    MainClassRequest r;
    r.mainClass = mainClass;
    r.arguments = std::move(arguments);
    r.findClassFromBootLoader = throughLauncherHelper ? realjvm::findClassFromBootLoader() : nullptr;
    return r;
}

}  // namespace

TEST(JavaStrings, CopyUtf16Exactly) {
    realjvm::onJavaThread([](JNIEnv* env) {
        std::wstring text = L"a\u00e4\u20ac";
        text += fromUtf16(u"\U0001F600", 2);
        jstring string = toJavaString(env, text);
        ASSERT_NE(string, nullptr);
        EXPECT_EQ(realjvm::unitsOf(env, string), toUtf16(text));

        jstring empty = toJavaString(env, L"");
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(env->GetStringLength(empty), 0);
    });
}

TEST(JavaStrings, ArrayKeepsOrderAndEmptyArrayIsNotNull) {
    realjvm::onJavaThread([](JNIEnv* env) {
        jobjectArray array = toJavaStringArray({L"one", L"", L"three"}, env);
        ASSERT_NE(array, nullptr);
        ASSERT_EQ(env->GetArrayLength(array), 3);
        EXPECT_EQ(realjvm::unitsOf(env, static_cast<jstring>(env->GetObjectArrayElement(array, 2))),
                  u"three");
        EXPECT_EQ(env->GetStringLength(static_cast<jstring>(env->GetObjectArrayElement(array, 1))), 0);

        jobjectArray none = toJavaStringArray({}, env);
        ASSERT_NE(none, nullptr);
        EXPECT_EQ(env->GetArrayLength(none), 0);
    });
}

class MainClassRoutes : public ::testing::TestWithParam<bool> {};

TEST_P(MainClassRoutes, MainReceivesTheArgumentsIntact) {
    bool helper = GetParam();
    if (helper && realjvm::findClassFromBootLoader() == nullptr) GTEST_SKIP() << "no launcher helper";
    RecordingHost host;
    std::wstring outside = L"\u0416\u4e2d";  // outside Latin-1 and any one ANSI page
    outside += fromUtf16(u"\U0001F600", 2);  // outside the BMP
    MainRun run = runOnJavaThread(request(L"testapp/Recorder", {L"-nosplash", outside, L""}, helper), host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(host.starts, 1);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(run.lastArgs, "9:2d 6e 6f 73 70 6c 61 73 68 |4:416 4e2d d83d de00 |0:|");
}

TEST_P(MainClassRoutes, EmptyArgumentListGivesAnEmptyArray) {
    bool helper = GetParam();
    if (helper && realjvm::findClassFromBootLoader() == nullptr) GTEST_SKIP() << "no launcher helper";
    RecordingHost host;
    MainRun before = runOnJavaThread(request(L"testapp/Recorder", {L"x"}, helper), host);
    MainRun run = runOnJavaThread(request(L"testapp/Recorder", {}, helper), host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.calls, before.calls + 1);
    EXPECT_EQ(run.lastArgs, "");
}

INSTANTIATE_TEST_SUITE_P(Routes, MainClassRoutes, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "LauncherHelper" : "FindClass";
                         });

TEST(MainClass, DottedNameReachesTheLauncherHelper) {
    if (realjvm::findClassFromBootLoader() == nullptr) GTEST_SKIP() << "no launcher helper";
    RecordingHost host;
    // The name is stored with slashes; the helper wants dots and still finds it.
    MainRun run = runOnJavaThread(request(L"testapp/Recorder", {L"dots"}, true), host);
    EXPECT_TRUE(run.result);
    EXPECT_TRUE(host.errors.empty());
}

TEST(MainClass, MissingClassThroughFindClassIsReported) {
    RecordingHost host;
    MainRun run = runOnJavaThread(request(L"testapp/DoesNotExist", {}, false), host);
    EXPECT_FALSE(run.result);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].first, static_cast<unsigned>(IDS_MAIN_CLASS_NOT_FOUND));
    EXPECT_EQ(host.errors[0].second, L"testapp/DoesNotExist");
    EXPECT_EQ(host.starts, 0);
}

TEST(MainClass, ClassWithoutStaticMainFails) {
    RecordingHost host;
    // A real VM raises NoSuchMethodError, which is described on standard
    // error; the message box is for runtimes that raise nothing.
    MainRun run = runOnJavaThread(request(L"testapp/NoMain", {}, false), host);
    EXPECT_FALSE(run.result);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.starts, 0);
}

TEST(MainClass, FailingInitialiserIsDescribedNotReported) {
    RecordingHost host;
    // The class exists but cannot be initialised: the exception is described
    // on standard error and no message box is shown.
    MainRun run = runOnJavaThread(request(L"testapp/BadStatic", {}, false), host);
    EXPECT_FALSE(run.result);
    EXPECT_TRUE(host.errors.empty() ||
                host.errors[0].first == static_cast<unsigned>(IDS_MAIN_CLASS_NOT_FOUND));
}

TEST(MainClass, ExceptionFromMainWithoutCheckCarriesOn) {
    RecordingHost host;
    MainClassRequest r = request(L"testapp/Recorder", {L"throw"}, false);
    MainRun run = runOnJavaThread(r, host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(host.splashCloses, 1);
    EXPECT_FALSE(host.shownException);
}

TEST(MainClass, ExceptionFromMainIsShownWithTheCheck) {
    RecordingHost host;
    MainClassRequest r = request(L"testapp/Recorder", {L"throw"}, false);
    r.failureCheck = true;
    MainRun run = runOnJavaThread(r, host);
    EXPECT_TRUE(run.result);
    EXPECT_TRUE(host.shownException);
}

TEST(MainClass, IbmRuntimesParkTheThread) {
    RecordingHost host;
    MainClassRequest r = request(L"testapp/Recorder", {}, false);
    r.keepThreadAlive = true;
    runOnJavaThread(r, host);
    EXPECT_EQ(host.parks, 1);
}

TEST(MainClassDeathTest, StopAfterExceptionEndsTheVmWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingHost host;
            host.stopOnException = true;
            MainClassRequest r = request(L"testapp/Recorder", {L"throw"}, false);
            r.failureCheck = true;
            runOnJavaThread(r, host);
        },
        ::testing::ExitedWithCode(255), "");
}

TEST(MainClassDeathTest, SystemExitEndsTheProcessWithItsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingHost host;
            runOnJavaThread(request(L"testapp/Exiter", {L"7"}, false), host);
        },
        ::testing::ExitedWithCode(7), "");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new realjvm::Environment);
    return RUN_ALL_TESTS();
}
