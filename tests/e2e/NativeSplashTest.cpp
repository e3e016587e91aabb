// The runtime's own splash screen library (splashscreen.dll beside the VM),
// played by a recording stand-in: which calls the launcher makes, and when.
#include "support/AppFolder_win.h"
#include "support/FileBytes_win.h"
#include "support/LauncherProcess_win.h"
#include "support/RuntimeFolder_win.h"
#include "support/StandInFiles_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t* const kPicture = L"C:\\Bilder\\Start.png";
const std::string kStarted = "SplashInit\nSplashLoadFile=C:\\Bilder\\Start.png\n"
                             "SplashSetFileJarName=C:\\Bilder\\Start.png|\n";

// The stand-in runtime with the recording splashscreen.dll in its bin folder
// (its VM under bin\server, as many runtimes have it).
class NativeSplash : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.valid()) << toUtf8(app.error());
        ASSERT_TRUE(makeRuntimeHome(home, VmKind::server)) << "the stand-in is not built";
        ASSERT_TRUE(CopyFileW((testBinFolder() + L"\\testsplash.dll").c_str(),
                              (home + L"\\bin\\splashscreen.dll").c_str(), FALSE));
        ASSERT_TRUE(files.writeScenario(L""));
    }

    bool configure(const std::wstring& displayKeys) const {
        return app.writeIni(L"[Java Runtime Environment]\nMain Class=com.example.App\nJRE Path=" + home +
                            L"\n[Class Path]\nClass Path=C:\\a.jar\n[Display]\n" + displayKeys);
    }

    // The calls the splash library recorded during one start.
    std::string start(const std::wstring& arguments = L"") {
        DeleteFileW(splashRecord.c_str());
        RunOptions options;
        options.arguments = arguments;
        options.appData = app.appDataPath();
        options.environment = files.environment();
        options.environment.emplace_back(L"TESTSPLASH_RECORD", splashRecord);
        run = runProgram(app.exePath(), options);
        return readFileBytes(splashRecord);
    }

    AppFolder app;
    std::wstring home = app.root() + L"\\Runtime";
    std::wstring splashRecord = app.root() + L"\\splash.txt";
    StandInFiles files{app.root()};
    RunResult run;
};

}  // namespace

TEST_F(NativeSplash, PreferredLibraryGetsThePictureAndIsClosedOnceAtTheEnd) {
    for (const wchar_t* preference : {L"Yes", L"YES", L"yes"}) {
        ASSERT_TRUE(configure(std::wstring(L"Splash Screen=") + kPicture + L"\nPreffer Native Splash Screen=" +
                              preference + L"\n"));
        EXPECT_EQ(start(), kStarted + "SplashClose\n") << toUtf8(preference);
        EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
    }
    // Only the exact switches suppress it.
    EXPECT_EQ(start(L"-NOSPLASH"), kStarted + "SplashClose\n");
}

TEST_F(NativeSplash, NotPreferredSuppressedOrWithoutPictureNothingIsCalled) {
    ASSERT_TRUE(configure(std::wstring(L"Splash Screen=") + kPicture + L"\nPreffer Native Splash Screen=no\n"));
    EXPECT_EQ(start(), "");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);

    ASSERT_TRUE(configure(std::wstring(L"Splash Screen=") + kPicture + L"\nPreffer Native Splash Screen=Yes\n"));
    EXPECT_EQ(start(L"first -nosplash"), "");
    EXPECT_EQ(start(L"/nosplash"), "");

    ASSERT_TRUE(configure(L"Preffer Native Splash Screen=Yes\n"));
    EXPECT_EQ(start(), "");
}

TEST_F(NativeSplash, FailedJavaStartClosesItOnceNotTwice) {
    ASSERT_TRUE(configure(std::wstring(L"Splash Screen=") + kPicture + L"\nPreffer Native Splash Screen=Yes\n"));
    ASSERT_TRUE(files.writeScenario(L"CreateResult=-1\n"));
    EXPECT_EQ(start(), kStarted + "SplashClose\n");
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu) << describeRun(run);
    ASSERT_EQ(run.dialogs.size(), 1u) << describeRun(run);
}

TEST_F(NativeSplash, PictureNameOutsideTheCodePageGoesByItsShortName) {
    const std::wstring folder = app.root() + L"\\\u0417\u0430\u0441\u0442\u0430\u0432\u043a\u0430";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring picture = folder + L"\\Start.png";
    ASSERT_TRUE(writeFileBytes(picture, "not decoded by the stand-in"));
    wchar_t shortName[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW(picture.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_TRUE(configure(L"Splash Screen=" + picture + L"\nPreffer Native Splash Screen=Yes\n"));
    const std::string name = toUtf8(shortName);
    EXPECT_EQ(start(), "SplashInit\nSplashLoadFile=" + name + "\nSplashSetFileJarName=" + name + "|\nSplashClose\n");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);

    // A name that has no short form is left to the launcher's own window.
    ASSERT_TRUE(configure(L"Splash Screen=" + folder + L"\\\u0444\u043e\u0442\u043e.png\nPreffer Native Splash Screen=Yes\n"));
    EXPECT_EQ(start(), "");
    EXPECT_EQ(run.exitCode, 0u) << describeRun(run);
}
