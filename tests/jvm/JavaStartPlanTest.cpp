#include "jvm/JavaStartPlan.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::uint64_t kGiB = 1024ull * 1024 * 1024;

// C:\App\Tool.exe with lib\a.jar and lib\x%OS%y.jar, the runtime in C:\rt,
// 4 GiB of memory, and an environment with Path, OS and MODE set.
JavaStartFacts facts() {
    JavaStartFacts f;
    f.jvmPath = L"C:\\rt\\bin\\client\\jvm.dll";
    f.executablePath = L"C:\\App\\Tool.exe";
    f.workingFolder = L"C:\\Work";
    f.memory = MemoryFigures{4 * kGiB, 1 * kGiB};
    f.arguments = {L"first"};
    f.environment = [](const std::wstring& name) -> std::optional<std::wstring> {
        static const std::map<std::wstring, std::wstring> variables = {
            {L"PATH", L"C:\\Windows;C:\\p%OS%q"}, {L"OS", L"Windows_NT"}, {L"MODE", L"fast"}};
        std::wstring upper = name;
        for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
        auto it = variables.find(upper);
        if (it == variables.end()) return std::nullopt;
        return it->second;
    };
    f.list = [](const std::wstring& pattern) {
        if (pattern == L"C:\\App\\lib\\*.jar") return std::vector<FoundFile>{{L"a.jar"}, {L"x%OS%y.jar"}};
        return std::vector<FoundFile>();
    };
    return f;
}

JavaStartSettings settings() {
    JavaStartSettings s;
    s.mainClass = L"com/example/App";
    s.classPath = L"\\lib\\*.jar";
    return s;
}

std::wstring environmentValue(const JavaStartPlan& plan, const std::wstring& name) {
    for (const EnvironmentChange& change : plan.environment)
        if (change.name == name) return change.value;
    return L"<unset>";
}

}  // namespace

TEST(JavaStartPlan, OptionsInOrderEachTextExpandedOnce) {
    JavaStartSettings s = settings();
    s.libraryPath = L"C:\\native\\%MODE%";
    s.systemPath = L"C:\\tools\\%MODE%";
    s.embeddedJar = true;
    s.vmParameters = L"-Xmx25p -Dhome=\"%LQ_JVM_HOME%\" -Xss512k -Dpath=%PATH%";
    s.cmd = L"--mode %MODE% \"two words\"";
    JavaStartPlan plan = planJavaStart(s, facts());

    EXPECT_EQ(environmentValue(plan, L"LQ_JVM_PATH"), L"C:\\rt\\bin\\client\\jvm.dll");
    EXPECT_EQ(environmentValue(plan, L"LQ_JVM_HOME"), L"C:\\rt");
    // The old Path and the names found on disk keep their "%" references.
    EXPECT_EQ(environmentValue(plan, L"Path"), L"C:\\tools\\fast;C:\\Windows;C:\\p%OS%q;C:\\rt\\bin");
    const std::wstring newPath = L"C:\\tools\\fast;C:\\Windows;C:\\p%OS%q;C:\\rt\\bin";
    EXPECT_EQ(plan.options, (std::vector<std::wstring>{
                                L"-Djava.library.path=C:\\native\\fast;C:\\App\\;.;C:\\Windows;C:\\p%OS%q;C:\\rt\\lib",
                                L"-Djava.class.path=C:\\App\\Tool.exe;C:\\App\\lib\\a.jar;C:\\App\\lib\\x%OS%y.jar;",
                                L"-Xmx1048576K",
                                L"-Dhome=C:\\rt",
                                L"-Xss512k",
                                // Parameters see the Path the start sets.
                                L"-Dpath=" + newPath,
                            }));
    EXPECT_EQ(plan.threadStackSize, 524288u);
    EXPECT_EQ(plan.main.arguments, (std::vector<std::wstring>{L"first", L"--mode", L"fast", L"two words"}));
    EXPECT_FALSE(plan.classPathMissing);
}

TEST(JavaStartPlan, EmptyClassPathStopsBeforeParametersStreamsAndCmd) {
    JavaStartSettings s = settings();
    s.classPath = L"\\nothing\\*.jar";
    s.libraryPath = L"C:\\native";
    s.vmParameters = L"-Dnot.used=1";
    s.outputFile = L"out.log";
    s.cmd = L"extra";
    JavaStartPlan plan = planJavaStart(s, facts());
    EXPECT_TRUE(plan.classPathMissing);
    ASSERT_EQ(plan.options.size(), 1u);
    EXPECT_EQ(plan.options[0].rfind(L"-Djava.library.path=", 0), 0u);
    EXPECT_TRUE(plan.streams.outputFile.empty());
    EXPECT_EQ(plan.main.arguments, std::vector<std::wstring>{L"first"});
    EXPECT_EQ(plan.main.mainClass, L"com/example/App");
}

TEST(JavaStartPlan, StreamFilesAreMadeAbsoluteAgainstTheWorkingFolder) {
    JavaStartSettings s = settings();
    s.outputFile = L"logs\\%MODE%-%yyyyMMdd%.log";
    s.outputAppend = true;
    s.errorFile = L"D:\\err.log";
    JavaStartPlan plan = planJavaStart(s, facts());
    // The date pattern stays for the moment the streams are redirected.
    EXPECT_EQ(plan.streams.outputFile, L"C:\\Work\\logs\\fast-%yyyyMMdd%.log");
    EXPECT_TRUE(plan.streams.outputAppend);
    EXPECT_EQ(plan.streams.errorFile, L"D:\\err.log");
    EXPECT_FALSE(sharesOneFile(plan.streams));

    s.errorFile = L"C:\\WORK\\LOGS\\fast-%yyyyMMdd%.log";
    EXPECT_TRUE(sharesOneFile(planJavaStart(s, facts()).streams));
}

TEST(JavaStartPlan, OneFileUnderTwoNamesIsKnownByItsIdentity) {
    StreamTargets targets;
    targets.outputFile = L"C:\\Work\\\u00c4rger.log";
    targets.errorFile = L"C:\\Work\\.\\\u00e4rger.log";
    EXPECT_FALSE(sharesOneFile(targets));
    targets.outputIdentity = FileIdentity{0x1234abcd, 42};
    targets.errorIdentity = FileIdentity{0x1234abcd, 42};
    EXPECT_TRUE(sharesOneFile(targets));
    // The same index on another volume, and one name spelled alike: two files.
    targets.errorIdentity->volume = 7;
    targets.errorFile = targets.outputFile;
    EXPECT_FALSE(sharesOneFile(targets));
}

TEST(JavaStartPlan, WhatTheMainThreadDoesAfterMain) {
    JavaStartSettings s = settings();
    s.isService = true;
    s.failureCheck = true;
    JavaStartFacts f = facts();
    f.keepMainThreadAlive = true;
    JavaStartPlan plan = planJavaStart(s, f);
    EXPECT_TRUE(plan.destroyAfterMain);
    EXPECT_TRUE(plan.main.failureCheck);
    EXPECT_TRUE(plan.main.keepThreadAlive);
    EXPECT_EQ(plan.threadStackSize, 0u);
}
