#include "jvm/StackTrace_jni.h"

#include "jvm/RealJvm.h"

#include <gtest/gtest.h>

namespace {

// The throwable that a static no-argument method of testapp.Traces returns.
jthrowable traceOf(JNIEnv* env, const char* method) {
    jclass traces = env->FindClass("testapp/Traces");
    if (traces == nullptr) return nullptr;
    jmethodID make = env->GetStaticMethodID(traces, method, "()Ljava/lang/Throwable;");
    return make ? static_cast<jthrowable>(env->CallStaticObjectMethod(traces, make)) : nullptr;
}

bool contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

}  // namespace

TEST(StackTrace, HoldsTheWholeChainWithItsUmlauts) {
    realjvm::onJavaThread([](JNIEnv* env) {
        jthrowable exception = traceOf(env, "chained");
        ASSERT_NE(exception, nullptr);
        const std::wstring text = captureStackTrace(env, exception);
        EXPECT_FALSE(env->ExceptionCheck());
        EXPECT_EQ(text.rfind(L"java.lang.IllegalStateException: Fehler beim Start", 0), 0u);
        EXPECT_TRUE(contains(text, L"\tat testapp.Traces.chained(Traces.java:")) << text.size();
        EXPECT_TRUE(contains(text, L"Caused by: java.lang.IllegalArgumentException: Ursache: \u00e4\u00f6\u00fc\u00df"));
    });
}

TEST(StackTrace, PrinterThatThrowsGivesWhatWasWrittenBefore) {
    realjvm::onJavaThread([](JNIEnv* env) {
        jthrowable exception = traceOf(env, "faulty");
        ASSERT_NE(exception, nullptr);
        const std::wstring text = captureStackTrace(env, exception);
        EXPECT_FALSE(env->ExceptionCheck());
        EXPECT_EQ(text.rfind(L"written before the failure", 0), 0u);
    });
}
