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

bool endsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
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
        // Then what the launcher learns of it, and what printStackTrace threw.
        EXPECT_EQ(text.rfind(L"written before the failure\ntestapp.Traces$1: faulty\n\tat testapp.Traces.faulty(", 0),
                  0u);
        EXPECT_TRUE(endsWith(text, L"[printStackTrace threw java.lang.UnsupportedOperationException: cannot print]\n"));
    });
}

TEST(StackTrace, ExceptionWhoseToStringThrowsIsWrittenFromItsParts) {
    realjvm::onJavaThread([](JNIEnv* env) {
        const std::wstring text = captureStackTrace(env, traceOf(env, "unprintable"));
        EXPECT_FALSE(env->ExceptionCheck());
        EXPECT_EQ(text.rfind(L"testapp.Traces$Unprintable: Zustand \u00e4\n\tat testapp.Traces.unprintable(", 0), 0u);
        EXPECT_TRUE(endsWith(text, L"[printStackTrace threw java.lang.UnsupportedOperationException: no text]\n"));
    });
}

TEST(StackTrace, CycleOfCausesIsWrittenOnce) {
    realjvm::onJavaThread([](JNIEnv* env) {
        const std::wstring text = captureStackTrace(env, traceOf(env, "cyclic"));
        EXPECT_FALSE(env->ExceptionCheck());
        const size_t second = text.find(L"\nCaused by: testapp.Traces$Loop: second\n");
        const size_t circle = text.find(L"\nCaused by: [CIRCULAR REFERENCE: testapp.Traces$Loop: first]\n");
        EXPECT_EQ(text.rfind(L"testapp.Traces$Loop: first\n", 0), 0u);
        EXPECT_TRUE(second != std::wstring::npos && circle > second && circle != std::wstring::npos);
        EXPECT_EQ(text.find(L"Caused by:", circle + 2), std::wstring::npos);
        EXPECT_TRUE(endsWith(text, L"[printStackTrace threw java.lang.IllegalStateException: loops]\n"));
    });
}

TEST(StackTrace, NulInTheMessageIsKept) {
    realjvm::onJavaThread([](JNIEnv* env) {
        const std::wstring text = captureStackTrace(env, traceOf(env, "withNul"));
        using namespace std::string_literals;
        EXPECT_EQ(text.rfind(L"java.lang.IllegalArgumentException: vor\0nach\n"s, 0), 0u);
    });
}
