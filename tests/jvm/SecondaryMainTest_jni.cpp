#include "jvm/MainClass_jni.h"

#include "jvm/RealJvm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SecondaryRun {
    bool result = false;
    std::vector<int> replies;
    int callsAtReply = -1;    // the class's calls when the answer went
    std::u16string lastArgs;  // joined with '|'
    bool pending = false;
};

// Runs secondaryMain of className on a thread attached to the real VM, as the
// first instance's worker does.
SecondaryRun runSecondary(const char* className, const std::vector<std::wstring>& arguments) {
    SecondaryRun run;
    realjvm::onJavaThread([&](JNIEnv* env) {
        jclass owner = env->FindClass(className);
        env->ExceptionClear();
        jfieldID calls = owner ? env->GetStaticFieldID(owner, "calls", "I") : nullptr;
        env->ExceptionClear();
        jfieldID last = owner ? env->GetStaticFieldID(owner, "lastArgs", "[Ljava/lang/String;") : nullptr;
        env->ExceptionClear();
        const int before = calls ? env->GetStaticIntField(owner, calls) : 0;
        std::wstring name(className, className + std::char_traits<char>::length(className));
        run.result = runSecondaryMain(env, name, arguments, [&](int code) {
            run.replies.push_back(code);
            if (calls) run.callsAtReply = env->GetStaticIntField(owner, calls) - before;
        });
        run.pending = env->ExceptionCheck();
        auto args = last ? static_cast<jobjectArray>(env->GetStaticObjectField(owner, last)) : nullptr;
        for (jsize i = 0; args != nullptr && i < env->GetArrayLength(args); ++i)
            run.lastArgs += realjvm::unitsOf(env, static_cast<jstring>(env->GetObjectArrayElement(args, i))) + u"|";
    });
    return run;
}

}  // namespace

TEST(SecondaryMain, VoidAnswersBeforeTheCallAndIntAfterItWithItsResult) {
    SecondaryRun byVoid = runSecondary("testapp/SecondaryVoid", {L"a.txt", L"\u00e4 b", L""});
    EXPECT_TRUE(byVoid.result);
    EXPECT_EQ(byVoid.replies, std::vector<int>{0});
    EXPECT_EQ(byVoid.callsAtReply, 0);
    EXPECT_EQ(byVoid.lastArgs, u"a.txt|\u00e4 b||");
    EXPECT_FALSE(byVoid.pending);

    SecondaryRun byInt = runSecondary("testapp/SecondaryInt", {L"x"});
    EXPECT_TRUE(byInt.result);
    EXPECT_EQ(byInt.replies, std::vector<int>{7});
    EXPECT_EQ(byInt.callsAtReply, 1);
    EXPECT_EQ(byInt.lastArgs, u"x|");

    // An exception from the call is described, not left pending; the later
    // start has had its answer already.
    SecondaryRun thrown = runSecondary("testapp/SecondaryVoid", {L"throw"});
    EXPECT_EQ(thrown.replies, std::vector<int>{0});
    EXPECT_EQ(thrown.lastArgs, u"throw|");
    EXPECT_FALSE(thrown.pending);
    // An int variant that throws gave no result: 1, as java ends then.
    SecondaryRun intThrown = runSecondary("testapp/SecondaryInt", {L"throw"});
    EXPECT_EQ(intThrown.replies, std::vector<int>{1});
    EXPECT_FALSE(intThrown.pending);
}

TEST(SecondaryMain, NoAnswerWithoutTheMethodOrTheClass) {
    for (const char* className : {"testapp/NoMain", "testapp/Recorder", "testapp/Missing"}) {
        SCOPED_TRACE(className);
        SecondaryRun run = runSecondary(className, {L"a"});
        EXPECT_FALSE(run.result);
        EXPECT_TRUE(run.replies.empty());
        EXPECT_FALSE(run.pending);
    }
}
