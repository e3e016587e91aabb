#include "jvm/RuntimeEnvironment.h"

#include <gtest/gtest.h>

TEST(RuntimeEnvironment, FoldersOfTheRuntime) {
    const std::wstring jvm = L"C:\\rt\\bin\\server\\jvm.dll";
    EXPECT_EQ(runtimeHomeOf(jvm), L"C:\\rt");
    EXPECT_EQ(runtimeBinOf(jvm), L"C:\\rt\\bin");
    EXPECT_EQ(runtimeLibOf(jvm), L"C:\\rt\\lib");
}

TEST(RuntimeEnvironment, PathGetsTheRuntimeBinAtItsEnd) {
    const std::wstring jvm = L"C:\\rt\\bin\\client\\jvm.dll";
    EXPECT_EQ(composeProcessPath(L"", L"C:\\win", jvm), L"C:\\win;C:\\rt\\bin");
    EXPECT_EQ(composeProcessPath(L"C:\\tools", L"C:\\win", jvm), L"C:\\tools;C:\\win;C:\\rt\\bin");
    EXPECT_EQ(composeProcessPath(L"C:\\tools;", L"C:\\win", jvm), L"C:\\tools;C:\\win;C:\\rt\\bin");
}

TEST(RuntimeEnvironment, LibraryPathKeepsItsFoldersApart) {
    const std::wstring jvm = L"C:\\rt\\bin\\client\\jvm.dll";
    EXPECT_EQ(composeLibraryPath(L"C:\\native", L"C:\\app\\", L"C:\\win", jvm),
              L"C:\\native;C:\\app\\;.;C:\\win;C:\\rt\\lib");
    EXPECT_EQ(composeLibraryPath(L"C:\\native;", L"C:\\app\\", L"", jvm), L"C:\\native;C:\\app\\;.;C:\\rt\\lib");
    EXPECT_EQ(withSeparator(L"a"), L"a;");
    EXPECT_EQ(withSeparator(L"a;"), L"a;");
    EXPECT_EQ(withSeparator(L""), L"");
}
