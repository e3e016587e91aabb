#include "launcher/IniTextStore.h"
#include "launcher/LauncherSettings.h"

#include <gtest/gtest.h>

namespace {

struct Loaded {
    LauncherSettings settings;
    bool ok = false;
};

Loaded load(const std::wstring& iniText, const std::wstring* userText = nullptr) {
    IniTextStore layered;
    layered.loadText(iniText);
    IniTextStore user;
    if (userText) user.loadText(*userText);
    Loaded result;
    result.ok = readLauncherSettings(result.settings, layered, userText ? &user : nullptr);
    return result;
}

std::wstring runtimeSection(const std::wstring& lines) {
    return L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\n" + lines;
}

}  // namespace

TEST(LauncherSettings, MainClassIsRequiredAndStoredWithSlashes) {
    EXPECT_FALSE(load(L"").ok);
    EXPECT_FALSE(load(L"[Java Runtime Environment]\r\nMain Class=\r\n").ok);

    Loaded dotted = load(runtimeSection(L""));
    ASSERT_TRUE(dotted.ok);
    EXPECT_EQ(dotted.settings.mainClass, L"com/example/App");

    Loaded slashed = load(L"[Java Runtime Environment]\r\nMain Class=com/example/App\r\n");
    ASSERT_TRUE(slashed.ok);
    EXPECT_EQ(slashed.settings.mainClass, L"com/example/App");
}

TEST(LauncherSettings, KeysAfterAMissingMainClassAreNotRead) {
    Loaded loaded = load(L"[Application]\r\nFailure Check=Yes\r\nPair Product=C:\\x64\\App.exe\r\n");
    EXPECT_FALSE(loaded.ok);
    EXPECT_FALSE(loaded.settings.failureCheck);
    EXPECT_TRUE(loaded.settings.pairProduct.empty());
}

TEST(LauncherSettings, VersionBounds) {
    Loaded loaded = load(runtimeSection(L"Minimum Version=1.8\r\nMaximum Version=1.8\r\n"));
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(JavaVersion::compare(loaded.settings.minVersion, JavaVersion(1, 8, 0, 0)), 0);
    EXPECT_EQ(JavaVersion::compare(loaded.settings.maxVersion, JavaVersion(1, 8, 65535, 65535)), 0);

    Loaded keyword = load(runtimeSection(L"Minimum Version=any\r\nMaximum Version=any\r\n"));
    EXPECT_EQ(JavaVersion::compare(keyword.settings.maxVersion,
                                   JavaVersion(65535, 65535, 65535, 65535)),
              0);
    EXPECT_TRUE(keyword.settings.minVersion.isUnset());

    // "Any" is not the keyword; without digits it sets no bound.
    Loaded capital = load(runtimeSection(L"Minimum Version=Any\r\nMaximum Version=Any\r\n"));
    EXPECT_EQ(JavaVersion::compare(capital.settings.minVersion, JavaVersion(0, 0, 0, 0)), 0);
    EXPECT_EQ(JavaVersion::compare(capital.settings.maxVersion, JavaVersion(0, 0, 0, 0)), 0);
}

TEST(LauncherSettings, ValueTestsDifferInLetterCase) {
    Loaded loaded = load(runtimeSection(L"JVM Type=Server\r\n") +
                         L"[Application]\r\nFailure Check=YES\r\nOverride WorkingDir=yes\r\n"
                         L"Application Type=Service\r\nPair Return Code=no\r\n");
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.settings.failureCheck);
    EXPECT_TRUE(loaded.settings.overrideWorkingDir);
    EXPECT_FALSE(loaded.settings.isService);
    EXPECT_FALSE(loaded.settings.pairReturnCode);
    EXPECT_EQ(loaded.settings.jvmType, 0);

    EXPECT_EQ(jvmTypeFromValue(L"server"), 1);
    EXPECT_EQ(jvmTypeFromValue(L"favor_server"), 2);
    EXPECT_EQ(jvmTypeFromValue(L""), 0);
    EXPECT_FALSE(isYes(L"Yes "));
    EXPECT_FALSE(isYes(L"Ye"));
    EXPECT_TRUE(isYes(L"yES"));
}

TEST(LauncherSettings, PreferredVersionsKeepEmptyPieces) {
    Loaded loaded = load(runtimeSection(L"Preferred versions=1.8;;1.7;\r\n"));
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.settings.preferredVersions, (std::vector<std::wstring>{L"1.8", L"", L"1.7"}));
}

TEST(LauncherSettings, JrePathFromThePerUserFileWhenItExists) {
    std::wstring config = runtimeSection(L"JRE Path=C:\\shipped\\jre\r\n");
    std::wstring userWithPath = L"[Java Runtime Environment]\r\nJRE Path=D:\\picked\r\n";
    std::wstring userWithout = L"[Other]\r\nx=1\r\n";

    EXPECT_EQ(load(config).settings.jrePath, L"C:\\shipped\\jre");
    EXPECT_EQ(load(config, &userWithPath).settings.jrePath, L"D:\\picked");
    // The per-user file decides alone, even without the key.
    EXPECT_EQ(load(config, &userWithout).settings.jrePath, L"");

    // A service has no per-user state.
    std::wstring service = config + L"[Application]\r\nApplication Type=service\r\n";
    Loaded loaded = load(service, &userWithPath);
    EXPECT_TRUE(loaded.settings.isService);
    EXPECT_EQ(loaded.settings.jrePath, L"C:\\shipped\\jre");
}

struct JvmSourceRow {
    const wchar_t* value;
    bool all, jdk, jre;
};

class JvmSourceTable : public ::testing::TestWithParam<JvmSourceRow> {};

TEST_P(JvmSourceTable, SetsKindFlags) {
    const JvmSourceRow& row = GetParam();
    LauncherSettings settings;
    applyJvmSource(settings, row.value);
    EXPECT_EQ(settings.allKindsAllowed, row.all);
    EXPECT_EQ(settings.jdkSelected, row.jdk);
    EXPECT_EQ(settings.jreSelected, row.jre);
}

INSTANTIATE_TEST_SUITE_P(Values, JvmSourceTable,
                         ::testing::Values(JvmSourceRow{L"", true, true, true},
                                           JvmSourceRow{L"favor_JRE", true, false, true},
                                           JvmSourceRow{L"favor_JDK", true, true, false},
                                           JvmSourceRow{L"only_JDK", false, true, false},
                                           JvmSourceRow{L"only_JRE", false, false, true},
                                           // exact comparison: lower-case jre is unknown
                                           JvmSourceRow{L"favor_jre", false, false, false},
                                           JvmSourceRow{L"JRE", false, false, false}));

struct VmProviderRow {
    const wchar_t* value;
    bool jrockitAllowed, jrockitPreferred, sunAllowed, sunPreferred, ibmAllowed, ibmPreferred;
};

class VmProviderTable : public ::testing::TestWithParam<VmProviderRow> {};

TEST_P(VmProviderTable, SetsVendorFlags) {
    const VmProviderRow& row = GetParam();
    LauncherSettings settings;
    applyVmProvider(settings, row.value);
    EXPECT_EQ(settings.jrockitAllowed, row.jrockitAllowed);
    EXPECT_EQ(settings.jrockitPreferred, row.jrockitPreferred);
    EXPECT_EQ(settings.sunAllowed, row.sunAllowed);
    EXPECT_EQ(settings.sunPreferred, row.sunPreferred);
    EXPECT_EQ(settings.ibmAllowed, row.ibmAllowed);
    EXPECT_EQ(settings.ibmPreferred, row.ibmPreferred);
}

INSTANTIATE_TEST_SUITE_P(
    Values, VmProviderTable,
    ::testing::Values(VmProviderRow{L"", false, false, true, true, false, false},
                      VmProviderRow{L"jrockit", true, true, false, false, false, false},
                      VmProviderRow{L"IBM", false, false, false, false, true, true},
                      VmProviderRow{L"favor_sun", true, false, true, true, true, false},
                      VmProviderRow{L"Favor_JRockit", true, true, true, false, true, false},
                      VmProviderRow{L"FAVOR_IBM", true, false, true, false, true, true},
                      VmProviderRow{L"any", true, false, true, false, true, false},
                      // no value names Sun alone: unknown values keep the defaults
                      VmProviderRow{L"sun", false, false, true, true, false, false}));
