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

TEST(ConfigPaths, ProductNamesNeverClimbOutOfTheUsersFolder) {
    const std::wstring appData = L"C:\\Users\\u\\AppData\\Roaming";
    for (const wchar_t* code : {L"..\\..\\..\\..\\escaped", L"../../escaped", L"..", L"C:\\escaped"}) {
        const UserConfigLocation location = userConfigLocationFor(L"C:\\App\\Tool.exe", L"App", code, appData);
        EXPECT_EQ(location.file.compare(0, appData.size() + 5, appData + L"\\App\\"), 0);
        EXPECT_EQ(location.file.find(L"\\..\\"), std::wstring::npos);
        EXPECT_EQ(location.file.find(L':', 2), std::wstring::npos);
    }
    EXPECT_EQ(folderNameOf(L".."), L"");
    EXPECT_EQ(folderNameOf(L"My App. "), L"My App");
    EXPECT_EQ(folderNameOf(L"..\\..\\x"), L"....x");
}

TEST(ConfigPaths, PickedRuntimeIsStoredPerUserOrForAServiceBesideTheExecutables) {
    RuntimeStoreRequest request;
    request.executablePath = L"C:\\App\\Tool.exe";
    request.pairProduct = L"C:\\App\\Tool64.exe";
    request.productName = L"App";
    request.productCode = L"{1}";
    request.appData = L"C:\\AD";
    const std::vector<RuntimeStoreTarget> user = runtimeStoreTargets(request);
    ASSERT_EQ(user.size(), 2u);
    EXPECT_EQ(user[1].file, L"C:\\AD\\App\\{1}\\Tool64.ini");
    EXPECT_EQ(user[1].folders, (std::vector<std::wstring>{L"C:\\AD\\App", L"C:\\AD\\App\\{1}"}));
    // Without an application-data folder nothing is written at a drive's root.
    request.appData.clear();
    EXPECT_TRUE(runtimeStoreTargets(request).empty());
    request.isService = true;
    const std::vector<RuntimeStoreTarget> service = runtimeStoreTargets(request);
    ASSERT_EQ(service.size(), 2u);
    EXPECT_EQ(service[0].file, L"C:\\App\\Tool.ini");
    EXPECT_TRUE(service[0].folders.empty());
}
