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
    EXPECT_EQ(processPathTemplate(L"", jvm), L"%Path%;C:\\rt\\bin");
    EXPECT_EQ(processPathTemplate(L"C:\\tools", jvm), L"C:\\tools;%Path%;C:\\rt\\bin");
    EXPECT_EQ(processPathTemplate(L"C:\\tools;", jvm), L"C:\\tools;%Path%;C:\\rt\\bin");
}

TEST(RuntimeEnvironment, LibraryPathKeepsItsFoldersApart) {
    EXPECT_EQ(libraryPathHead(L"C:\\native", L"C:\\app\\"), L"C:\\native;C:\\app\\;.;%Path%");
    EXPECT_EQ(libraryPathHead(L"C:\\native;", L"C:\\app\\"), L"C:\\native;C:\\app\\;.;%Path%");
    EXPECT_EQ(withSeparator(L"a"), L"a;");
    EXPECT_EQ(withSeparator(L"a;"), L"a;");
    EXPECT_EQ(withSeparator(L""), L"");
}
