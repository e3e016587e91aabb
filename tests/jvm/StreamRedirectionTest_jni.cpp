#include "jvm/StreamRedirection_jni.h"

#include "jvm/MainClass_jni.h"
#include "jvm/RealJvm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Redirects within one test and puts System.out and System.err back after.
class StreamRedirection : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/redirect-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        realjvm::onJavaThread([this](JNIEnv* env) {
            jclass system = env->FindClass("java/lang/System");
            out_ = env->NewGlobalRef(env->GetStaticObjectField(
                system, env->GetStaticFieldID(system, "out", "Ljava/io/PrintStream;")));
            err_ = env->NewGlobalRef(env->GetStaticObjectField(
                system, env->GetStaticFieldID(system, "err", "Ljava/io/PrintStream;")));
        });
    }
    void TearDown() override {
        realjvm::onJavaThread([this](JNIEnv* env) {
            jclass system = env->FindClass("java/lang/System");
            const char* signature = "(Ljava/io/PrintStream;)V";
            env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setOut", signature), out_);
            env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "setErr", signature), err_);
            env->DeleteGlobalRef(out_);
            env->DeleteGlobalRef(err_);
        });
        std::remove((folder_ + "/out.log").c_str());
        std::remove((folder_ + "/err.log").c_str());
        rmdir(folder_.c_str());
    }

    // Runs Recorder.main("print", out, err) and flushes both streams.
    static void printLines(JNIEnv* env, const std::wstring& out, const std::wstring& err) {
        jclass recorder = env->FindClass("testapp/Recorder");
        jmethodID main = env->GetStaticMethodID(recorder, "main", "([Ljava/lang/String;)V");
        env->CallStaticVoidMethod(recorder, main, toJavaStringArray({L"print", out, err}, env));
        ASSERT_FALSE(env->ExceptionCheck());
    }

    std::string folder_;
    jobject out_ = nullptr;
    jobject err_ = nullptr;
};

}  // namespace

TEST_F(StreamRedirection, NewFilesReceiveTheirStreams) {
    std::string out = folder_ + "/out.log";
    std::string err = folder_ + "/err.log";
    realjvm::onJavaThread([&](JNIEnv* env) {
        ASSERT_TRUE(redirectStandardOutput(env, wide(out), false));
        ASSERT_TRUE(redirectStandardError(env, wide(err), false));
        printLines(env, L"to out", L"to err");
    });
    EXPECT_EQ(readFile(out), "to out\n");
    EXPECT_EQ(readFile(err), "to err\n");
}

TEST_F(StreamRedirection, AppendKeepsAndOverwriteTruncates) {
    std::string out = folder_ + "/out.log";
    std::string err = folder_ + "/err.log";
    std::ofstream(out) << "earlier\n";
    std::ofstream(err) << "earlier\n";
    realjvm::onJavaThread([&](JNIEnv* env) {
        ASSERT_TRUE(redirectStandardOutput(env, wide(out), true));
        ASSERT_TRUE(redirectStandardError(env, wide(err), false));
        printLines(env, L"later", L"only");
    });
    EXPECT_EQ(readFile(out), "earlier\nlater\n");
    EXPECT_EQ(readFile(err), "only\n");
}

TEST_F(StreamRedirection, UnopenablePathFailsWithTheRuntimesException) {
    realjvm::onJavaThread([&](JNIEnv* env) {
        // A folder that does not exist: the launcher creates folders before
        // it asks the runtime, so here the runtime's own failure shows.
        std::wstring path = wide(folder_ + "/missing/out.log");
        EXPECT_FALSE(redirectStandardOutput(env, path, false));
        jthrowable pending = env->ExceptionOccurred();
        ASSERT_NE(pending, nullptr);
        env->ExceptionClear();
        jclass notFound = env->FindClass("java/io/FileNotFoundException");
        EXPECT_TRUE(env->IsInstanceOf(pending, notFound));
        // The stream stays where it was.
        printLines(env, L"still the console", L"");
    });
}

TEST_F(StreamRedirection, OneFileForBothStreamsKeepsBothTexts) {
    std::string both = folder_ + "/out.log";
    realjvm::onJavaThread([&](JNIEnv* env) {
        StreamTargets targets;
        targets.outputFile = wide(both);
        targets.errorFile = wide(both);
        applyStreamRedirection(env, targets);
        printLines(env, L"to out", L"to err");
    });
    EXPECT_EQ(readFile(both), "to out\nto err\n");
}
