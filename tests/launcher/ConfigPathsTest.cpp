#include "launcher/ConfigPaths.h"

#include <gtest/gtest.h>

TEST(ConfigPaths, ConfigFileBesideTheExecutable) {
    EXPECT_EQ(configFilePathFor(L"C:\\App\\Tool.exe"), std::wstring(L"C:\\App\\Tool.ini"));
    EXPECT_EQ(configFilePathFor(L"C:\\App\\Tool.v2.exe"), std::wstring(L"C:\\App\\Tool.v2.ini"));
    // Only the file name's extension counts; without one ".ini" is appended.
    EXPECT_EQ(configFilePathFor(L"C:\\My.Folder\\Tool"), std::wstring(L"C:\\My.Folder\\Tool.ini"));
    EXPECT_EQ(configFilePathFor(L"C:\\App\\Tool"), std::wstring(L"C:\\App\\Tool.ini"));
    EXPECT_FALSE(configFilePathFor(L"").has_value());
}

TEST(ConfigPaths, PerUserFileUnderAppData) {
    UserConfigLocation location = userConfigLocationFor(
        L"C:\\App\\Tool.exe", L"My: App?", L"{1234}", L"C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(location.productFolder, L"C:\\Users\\u\\AppData\\Roaming\\My App");
    EXPECT_EQ(location.codeFolder, L"C:\\Users\\u\\AppData\\Roaming\\My App\\{1234}");
    EXPECT_EQ(location.file, L"C:\\Users\\u\\AppData\\Roaming\\My App\\{1234}\\Tool.ini");
}

TEST(ConfigPaths, PerUserFileDropsEveryForbiddenCharacter) {
    UserConfigLocation location =
        userConfigLocationFor(L"Tool", L"a\\b?c\"d|e>f<g:h/i*j", L"", L"");
    EXPECT_EQ(location.productFolder, L"\\abcdefghij");
    // No folder in the path and no extension: the name is taken whole.
    EXPECT_EQ(location.file, L"\\abcdefghij\\\\Tool.ini");
}

TEST(ConfigPaths, PerUserFileWithEmptyNames) {
    UserConfigLocation location = userConfigLocationFor(L"D:\\x.y\\Run.me.exe", L"", L"", L"E:");
    EXPECT_EQ(location.file, L"E:\\\\\\Run.me.ini");
}
