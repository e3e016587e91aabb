#include "jre/JvmLibrary.h"

#include <gtest/gtest.h>

#include <set>

namespace {

FileProbe filesAt(std::set<std::wstring> files) {
    return [files](const std::wstring& path) { return files.count(path) > 0; };
}

const std::wstring kHome = L"C:\\rt\\";
const std::wstring kClient = L"C:\\rt\\bin\\client\\jvm.dll";
const std::wstring kServer = L"C:\\rt\\bin\\server\\jvm.dll";

}  // namespace

TEST(FindJvmLibrary, AnyVmPrefersTheClient) {
    auto both = findJvmLibrary(kHome, 0, filesAt({kClient, kServer}));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->path, kClient);
    EXPECT_FALSE(both->isServerVm);

    auto serverOnly = findJvmLibrary(kHome, 0, filesAt({kServer}));
    ASSERT_TRUE(serverOnly);
    EXPECT_EQ(serverOnly->path, kServer);
    EXPECT_TRUE(serverOnly->isServerVm);
}

TEST(FindJvmLibrary, ServerOnlyRejectsAClientRuntime) {
    EXPECT_FALSE(findJvmLibrary(kHome, 1, filesAt({kClient})));
    auto server = findJvmLibrary(kHome, 1, filesAt({kClient, kServer}));
    ASSERT_TRUE(server);
    EXPECT_EQ(server->path, kServer);
    EXPECT_TRUE(server->isServerVm);
}

TEST(FindJvmLibrary, FavorServerFallsBackToTheClient) {
    auto both = findJvmLibrary(kHome, 2, filesAt({kClient, kServer}));
    ASSERT_TRUE(both);
    EXPECT_EQ(both->path, kServer);
    auto client = findJvmLibrary(kHome, 2, filesAt({kClient}));
    ASSERT_TRUE(client);
    EXPECT_EQ(client->path, kClient);
    EXPECT_FALSE(client->isServerVm);
}

TEST(FindJvmLibrary, OlderVmFoldersInTheirOrder) {
    std::wstring classic = kHome + L"bin\\classic\\jvm.dll";
    std::wstring hotspot = kHome + L"bin\\hotspot\\jvm.dll";
    std::wstring jrockit = kHome + L"bin\\jrockit\\jvm.dll";
    EXPECT_EQ(findJvmLibrary(kHome, 0, filesAt({jrockit, hotspot, classic}))->path, classic);
    EXPECT_EQ(findJvmLibrary(kHome, 0, filesAt({jrockit, hotspot}))->path, hotspot);
    EXPECT_EQ(findJvmLibrary(kHome, 0, filesAt({jrockit, kServer}))->path, kServer);
    EXPECT_EQ(findJvmLibrary(kHome, 0, filesAt({jrockit}))->path, jrockit);
    EXPECT_FALSE(findJvmLibrary(kHome, 0, filesAt({kHome + L"bin\\java.dll"})));
}

TEST(FindJvmLibrary, JavaLibraryAndTrailingBackslash) {
    EXPECT_TRUE(hasJavaLibrary(kHome, filesAt({L"C:\\rt\\bin\\java.dll"})));
    EXPECT_FALSE(hasJavaLibrary(kHome, filesAt({kClient})));
    EXPECT_EQ(withTrailingBackslash(L"C:\\rt"), L"C:\\rt\\");
    EXPECT_EQ(withTrailingBackslash(L"C:\\rt\\"), L"C:\\rt\\");
    EXPECT_EQ(withTrailingBackslash(L"D:\\"), L"D:\\");
}
