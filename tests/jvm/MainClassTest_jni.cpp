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
    void reportVmCreationFailure(jint code) override { creationFailures.push_back(code); }
    void reportMainClassFailure(MainClassFailure failure, const std::wstring& name) override {
        errors.emplace_back(failure, name);
    }
    void prepareStreamTargets(StreamTargets&) override { ++streamPreparations; }
    void mainStarting() override { ++starts; }
    void closeSplash() override { ++splashCloses; }
    bool showUncaughtException(const std::wstring& trace) override {
        shownTrace = trace;
        shownException = true;
        return stopOnException;
    }
    void parkForever() override { ++parks; }

    std::vector<jint> creationFailures;
    std::vector<std::pair<MainClassFailure, std::wstring>> errors;
    int streamPreparations = 0;
    int starts = 0;
    int splashCloses = 0;
    int parks = 0;
    bool shownException = false;
    std::wstring shownTrace;
    bool stopOnException = false;
};

struct MainRun {
    bool result = false;  // main was called
    MainOutcome outcome = MainOutcome::notRun;
    int calls = 0;        // Recorder.calls after the run
    std::string lastArgs; // Recorder.describe(lastArgs)
    std::string ranBy;    // Recorder.ranBy, which is cleared for the next run
};

// The text of a static String field; empty for null.
std::string staticText(JNIEnv* env, jclass owner, const char* field) {
    auto text = static_cast<jstring>(
        env->GetStaticObjectField(owner, env->GetStaticFieldID(owner, field, "Ljava/lang/String;")));
    if (text == nullptr) return "";
    const char* utf = env->GetStringUTFChars(text, nullptr);
    std::string result = utf;
    env->ReleaseStringUTFChars(text, utf);
    return result;
}

// Runs the main class on a Java thread and reads back what Recorder saw.
MainRun runOnJavaThread(const MainClassPlan& plan, bool throughLauncherHelper, RecordingHost& host) {
    MainRun run;
    realjvm::onJavaThread([&](JNIEnv* env) {
        run.outcome = runMainClass(env, plan, throughLauncherHelper ? realjvm::findClassFromBootLoader() : nullptr,
                                   host);
        run.result = run.outcome != MainOutcome::notRun;
        // An exception main left has been handed on: nothing stays pending.
        EXPECT_FALSE(env->ExceptionCheck());
    });
    realjvm::onJavaThread([&](JNIEnv* env) {
        jclass recorder = env->FindClass("testapp/Recorder");
        ASSERT_NE(recorder, nullptr);
        run.calls = env->GetStaticIntField(recorder, env->GetStaticFieldID(recorder, "calls", "I"));
        run.ranBy = staticText(env, recorder, "ranBy");
        env->SetStaticObjectField(recorder, env->GetStaticFieldID(recorder, "ranBy", "Ljava/lang/String;"), nullptr);
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

MainClassPlan plan(const std::wstring& mainClass, std::vector<std::wstring> arguments = {}) {
    MainClassPlan p;
    p.mainClass = mainClass;
    p.arguments = std::move(arguments);
    return p;
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
    MainRun run = runOnJavaThread(plan(L"testapp/Recorder", {L"-nosplash", outside, L""}), helper, host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(host.starts, 1);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(run.lastArgs, "9:2d 6e 6f 73 70 6c 61 73 68 |4:416 4e2d d83d de00 |0:|");
}

TEST_P(MainClassRoutes, EmptyArgumentListGivesAnEmptyArray) {
    bool helper = GetParam();
    if (helper && realjvm::findClassFromBootLoader() == nullptr) GTEST_SKIP() << "no launcher helper";
    RecordingHost host;
    MainRun before = runOnJavaThread(plan(L"testapp/Recorder", {L"x"}), helper, host);
    MainRun run = runOnJavaThread(plan(L"testapp/Recorder"), helper, host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.calls, before.calls + 1);
    EXPECT_EQ(run.lastArgs, "");
}

INSTANTIATE_TEST_SUITE_P(Routes, MainClassRoutes, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "LauncherHelper" : "FindClass";
                         });

TEST(MainClass, ClassWithoutMainIsReportedOnEveryRoute) {
    // An instance main counts only through the helper of JDK 25 and later.
    const bool instanceMainRuns = realjvm::featureVersion() >= 25;
    for (const std::wstring mainClass : {L"testapp/NoMain", L"testapp/InstanceMain"}) {
        for (bool helper : {false, true}) {
            SCOPED_TRACE(std::string(mainClass.begin(), mainClass.end()) + (helper ? " LauncherHelper" : ""));
            RecordingHost host;
            // The runtime's NoSuchMethodError goes to standard error; the user
            // is shown that the class has no main. A JDK's helper would end
            // the process instead: NoMain's mains are private or return int.
            MainRun run = runOnJavaThread(plan(mainClass, {L"a", L"\u00e4"}), helper, host);
            if (helper && instanceMainRuns && mainClass == L"testapp/InstanceMain") {
                EXPECT_TRUE(run.result);
                EXPECT_TRUE(host.errors.empty());
                EXPECT_EQ(run.lastArgs, "1:61 |1:e4 |");
                continue;
            }
            EXPECT_FALSE(run.result);
            ASSERT_EQ(host.errors.size(), 1u);
            EXPECT_EQ(host.errors[0].first, MainClassFailure::noMainMethod);
            EXPECT_EQ(host.starts, 0);
        }
    }
}

class Java25Main : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef JAVA_25_TEST_CLASSES
        GTEST_SKIP() << "no javac for Java 25 when built";
#endif
        if (realjvm::featureVersion() < 25) GTEST_SKIP() << "the VM is older than Java 25";
    }
};

TEST_F(Java25Main, EveryFormRunsAsTheHelperChoseIt) {
    struct Case {
        const wchar_t* mainClass;
        const char* ranBy;
        const char* lastArgs;
    };
    for (const Case& c : {Case{L"CompactMain", "instance main()", ""},
                          Case{L"testapp25/StaticNoArgs", "static main()", ""},
                          Case{L"testapp25/Both", "instance main(String[])", "1:78 |"}}) {
        SCOPED_TRACE(c.ranBy);
        RecordingHost host;
        MainRun run = runOnJavaThread(plan(c.mainClass, {L"x"}), true, host);
        EXPECT_TRUE(run.result);
        EXPECT_TRUE(host.errors.empty());
        EXPECT_EQ(host.starts, 1);
        EXPECT_EQ(run.ranBy, c.ranBy);
        if (*c.lastArgs != '\0') EXPECT_EQ(run.lastArgs, c.lastArgs);
    }
}

TEST_F(Java25Main, ExceptionFromTheConstructorIsHandledAsOneFromMain) {
    RecordingHost host;
    MainClassPlan p = plan(L"testapp25/FailingConstructor");
    p.failureCheck = true;
    MainRun run = runOnJavaThread(p, true, host);
    EXPECT_TRUE(run.result);
    EXPECT_EQ(host.splashCloses, 1);
    EXPECT_EQ(host.shownTrace.rfind(L"java.lang.IllegalStateException: constructor fails", 0), 0u) << host.shownTrace;
    EXPECT_EQ(run.ranBy, "");
}

TEST(MainClass, MissingClassIsReportedOnEveryRoute) {
    for (bool helper : {false, true}) {
        RecordingHost host;
        MainRun run = runOnJavaThread(plan(L"testapp/DoesNotExist"), helper, host);
        EXPECT_FALSE(run.result);
        ASSERT_EQ(host.errors.size(), 1u) << helper;
        EXPECT_EQ(host.errors[0].first, MainClassFailure::classNotFound);
        EXPECT_EQ(host.errors[0].second, L"testapp/DoesNotExist");
        EXPECT_EQ(host.starts, 0);
    }
}

TEST(MainClass, FailingInitialiserIsNotStarted) {
    RecordingHost host;
    MainRun run = runOnJavaThread(plan(L"testapp/BadStatic"), false, host);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.starts, 0);
}

TEST(MainClass, ExceptionFromMainCarriesOnWithOrWithoutTheCheck) {
    for (bool check : {false, true}) {
        RecordingHost host;
        MainClassPlan p = plan(L"testapp/Recorder", {L"throw"});
        p.failureCheck = check;
        MainRun run = runOnJavaThread(p, false, host);
        // Let go by the user, or handed to the thread's handler, as java does.
        EXPECT_EQ(run.outcome, check ? MainOutcome::returned : MainOutcome::threw);
        EXPECT_EQ(host.splashCloses, 1);
        EXPECT_EQ(host.shownException, check);
        if (check) EXPECT_EQ(host.shownTrace.rfind(L"java.lang.IllegalStateException: Fehler beim Start", 0), 0u);
    }
}

// A JNIEnv that forwards to the real one and counts the local references
// made and deleted by the functions the conversions use.
class CountingEnv {
public:
    explicit CountingEnv(JNIEnv* real) {
        real_ = real;
        live_ = 0;
        table_ = *real->functions;
        table_.FindClass = [](JNIEnv*, const char* name) { return counted(real_->FindClass(name)); };
        table_.NewCharArray = [](JNIEnv*, jsize length) { return counted(real_->NewCharArray(length)); };
        table_.NewObjectArray = [](JNIEnv*, jsize length, jclass type, jobject initial) {
            return counted(real_->NewObjectArray(length, type, initial));
        };
        table_.NewObjectV = [](JNIEnv*, jclass type, jmethodID constructor, va_list arguments) {
            return counted(real_->functions->NewObjectV(real_, type, constructor, arguments));
        };
        // The checked VM insists on its own JNIEnv: every other function the
        // conversions use is forwarded with it too.
        table_.GetMethodID = [](JNIEnv*, jclass type, const char* name, const char* signature) {
            return real_->GetMethodID(type, name, signature);
        };
        table_.SetCharArrayRegion = [](JNIEnv*, jcharArray array, jsize start, jsize length, const jchar* chars) {
            real_->SetCharArrayRegion(array, start, length, chars);
        };
        table_.SetObjectArrayElement = [](JNIEnv*, jobjectArray array, jsize index, jobject value) {
            real_->SetObjectArrayElement(array, index, value);
        };
        table_.ExceptionCheck = [](JNIEnv*) { return real_->ExceptionCheck(); };
        table_.DeleteLocalRef = [](JNIEnv*, jobject object) {
            if (object != nullptr) --live_;
            real_->DeleteLocalRef(object);
        };
        env_.functions = &table_;
    }
    JNIEnv* env() { return &env_; }
    static int live() { return live_; }

private:
    template <typename T>
    static T counted(T object) {
        if (object != nullptr) ++live_;
        return object;
    }

    static inline JNIEnv* real_ = nullptr;
    static inline int live_ = 0;
    JNINativeInterface_ table_;
    JNIEnv env_;
};

TEST(MainClass, ExceptionFromMainGoesToTheApplicationsUncaughtExceptionHandler) {
    RecordingHost host;
    MainRun run = runOnJavaThread(plan(L"testapp/Recorder", {L"throwToHandler"}), false, host);
    EXPECT_TRUE(run.result);
    std::string handled;
    realjvm::onJavaThread([&](JNIEnv* env) {
        jclass recorder = env->FindClass("testapp/Recorder");
        handled = staticText(env, recorder, "handled");
        // Later tests' exceptions go to the thread group again.
        jclass thread = env->FindClass("java/lang/Thread");
        env->CallStaticVoidMethod(thread,
                                  env->GetStaticMethodID(thread, "setDefaultUncaughtExceptionHandler",
                                                         "(Ljava/lang/Thread$UncaughtExceptionHandler;)V"),
                                  nullptr);
    });
    EXPECT_EQ(handled, "for the handler");
}

TEST(JavaStrings, ConversionsLeaveOnlyTheirResult) {
    realjvm::onJavaThread([](JNIEnv* real) {
        CountingEnv counting(real);
        jobjectArray array = toJavaStringArray(std::vector<std::wstring>(500, L"argument"), counting.env());
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(CountingEnv::live(), 1);
        real->DeleteLocalRef(array);

        CountingEnv again(real);
        jstring text = toJavaString(again.env(), L"one");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(CountingEnv::live(), 1);
        real->DeleteLocalRef(text);
    });
}

TEST(MainClassDeathTest, StopAfterExceptionEndsTheVmWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingHost host;
            host.stopOnException = true;
            MainClassPlan p = plan(L"testapp/Recorder", {L"throw"});
            p.failureCheck = true;
            runOnJavaThread(p, false, host);
        },
        ::testing::ExitedWithCode(255), "");
}

TEST(MainClassDeathTest, SystemExitEndsTheProcessWithItsStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RecordingHost host;
            runOnJavaThread(plan(L"testapp/Exiter", {L"7"}), false, host);
        },
        ::testing::ExitedWithCode(7), "");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new realjvm::Environment);
    return RUN_ALL_TESTS();
}
