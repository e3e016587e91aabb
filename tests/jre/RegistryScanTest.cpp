#include "jre/RegistryScan.h"

#include "launcher/LauncherSettings.h"
#include "util/Paths.h"
#include "util/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

// A registry view held in memory: root key -> version subkeys with their
// JavaHome values, in listing order.
class FakeRegistry : public RuntimeRegistry {
public:
    void add(const std::wstring& root, const std::wstring& version, const std::wstring& home) {
        subkeys_[{RegistryHive::localMachine, root}].push_back(version);
        values_[{RegistryHive::localMachine, root + version + L"|JavaHome"}] = home;
    }
    // A vendor's key path below root ("JDK\\21.0.5.11\\hotspot\\MSI"), each
    // level listed under its parent, with value name set to home.
    void addVendor(RegistryHive hive, const std::wstring& root, const std::wstring& path, const wchar_t* name,
                   const std::wstring& home) {
        std::wstring parent = root;
        for (size_t start = 0; start <= path.size();) {
            size_t end = path.find(L'\\', start);
            if (end == std::wstring::npos) end = path.size();
            const std::wstring level = path.substr(start, end - start);
            auto& listed = subkeys_[{hive, parent}];
            if (std::find(listed.begin(), listed.end(), level) == listed.end()) listed.push_back(level);
            parent += (parent == root ? L"" : L"\\") + level;
            start = end + 1;
        }
        values_[{hive, parent + L"|" + name}] = home;
    }
    std::vector<std::wstring> subkeyNames(RegistryHive hive, const std::wstring& key) override {
        auto it = subkeys_.find({hive, key});
        return it == subkeys_.end() ? std::vector<std::wstring>() : it->second;
    }
    std::wstring stringValue(RegistryHive hive, const std::wstring& key, const wchar_t* name) override {
        auto it = values_.find({hive, key + L"|" + name});
        return it == values_.end() ? std::wstring() : it->second;
    }

private:
    std::map<std::pair<RegistryHive, std::wstring>, std::vector<std::wstring>> subkeys_;
    std::map<std::pair<RegistryHive, std::wstring>, std::wstring> values_;
};

const std::wstring kJdk = L"Software\\JavaSoft\\JDK\\";
const std::wstring kJre = L"Software\\JavaSoft\\JRE\\";
const std::wstring kOldJdk = L"Software\\JavaSoft\\Java Development Kit\\";
const std::wstring kOldJre = L"Software\\JavaSoft\\Java Runtime Environment\\";
const std::wstring kJrockitJre = L"Software\\JRockit\\Java Runtime Environment\\";
const std::wstring kJrockitJdk = L"Software\\JRockit\\Java Development Kit\\";
const std::wstring kIbm = L"Software\\IBM\\Java2 Runtime Environment\\";

// Every home that a test names holds the VMs listed here.
struct Disk {
    std::set<std::wstring> files;
    void client(const std::wstring& home) { files.insert(home + L"bin\\client\\jvm.dll"); }
    void server(const std::wstring& home) { files.insert(home + L"bin\\server\\jvm.dll"); }
    FileProbe probe() const {
        return [this](const std::wstring& p) { return files.count(p) > 0; };
    }
};

// Settings as loaded from a configuration that names no JVM Source, VM
// Provider or JVM Type and "any" as its maximum.
LauncherSettings anyVersion() {
    LauncherSettings settings;
    applyJvmSource(settings, L"");
    settings.maxVersion = maximumBound(L"any");
    return settings;
}

std::vector<std::wstring> homesOf(const std::vector<JreCandidate>& candidates) {
    std::vector<std::wstring> homes;
    for (const auto& c : candidates) homes.push_back(c.home);
    return homes;
}

}  // namespace

TEST(RegistryScan, DefaultsScanTheFourJavaSoftRootsAndTakeTheHighest) {
    FakeRegistry registry;
    Disk disk;
    for (auto home : {L"C:\\jdk17\\", L"C:\\jre11\\", L"C:\\jre8\\", L"C:\\rock\\", L"C:\\ibm\\"})
        disk.client(home);
    registry.add(kJre, L"11.0.2", L"C:\\jre11");
    registry.add(kJdk, L"17", L"C:\\jdk17");
    registry.add(kOldJre, L"1.8.0_231", L"C:\\jre8");
    registry.add(kJrockitJre, L"99", L"C:\\rock");
    registry.add(kIbm, L"98", L"C:\\ibm");

    LauncherSettings settings = anyVersion();
    auto candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    ASSERT_EQ(candidates.size(), 3u);
    for (const auto& c : candidates) EXPECT_TRUE(c.preferred);
    EXPECT_EQ(selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe())->home, std::wstring(L"C:\\jdk17\\"));
}

TEST(RegistryScan, FamilyKeyAndUpdateKeyBothCountAndTheUpdateRanksFirst) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\jre8\\");
    registry.add(kOldJre, L"1.8", L"C:\\jre8\\");
    registry.add(kOldJre, L"1.8.0_231", L"C:\\jre8\\");
    LauncherSettings settings = anyVersion();
    auto candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    ASSERT_EQ(candidates.size(), 2u);
    rankCandidates(candidates, registryCriteriaOf(settings));
    EXPECT_EQ(candidates[0].version, JavaVersion(1, 8, 0, 231));
    EXPECT_EQ(candidates[1].version, JavaVersion(1, 8, 0, 0));
}

TEST(RegistryScan, OlderJdkKeysPointAtTheirJreFolder) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\jdk\\jre\\");
    disk.client(L"C:\\jdk\\");
    registry.add(kOldJdk, L"1.6.0_45", L"C:\\jdk");
    registry.add(kJdk, L"11", L"C:\\jdk");
    auto candidates = collectCandidates(registry, registryCriteriaOf(anyVersion()), disk.probe());
    EXPECT_EQ(homesOf(candidates), (std::vector<std::wstring>{L"C:\\jdk\\", L"C:\\jdk\\jre\\"}));
}

TEST(RegistryScan, SubkeysWithoutHomeOrVmAreSkipped) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\good\\");
    registry.add(kJre, L"11", L"");
    registry.add(kJre, L"12", L"C:\\no-vm");
    registry.add(kJre, L"10", L"C:\\good");
    auto candidates = collectCandidates(registry, registryCriteriaOf(anyVersion()), disk.probe());
    EXPECT_EQ(homesOf(candidates), (std::vector<std::wstring>{L"C:\\good\\"}));
}

TEST(RegistryScan, VersionBoundsAreInclusive) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\a\\");
    registry.add(kJre, L"1.7.0_80", L"C:\\a");
    registry.add(kJre, L"1.8", L"C:\\a");
    registry.add(kJre, L"1.8.0_231", L"C:\\a");
    registry.add(kJre, L"11.0.2", L"C:\\a");
    LauncherSettings settings = anyVersion();
    settings.minVersion = minimumBound(L"1.8");
    settings.maxVersion = maximumBound(L"1.8");
    auto candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].version, JavaVersion(1, 8, 0, 0));
    EXPECT_EQ(candidates[1].version, JavaVersion(1, 8, 0, 231));
}

TEST(RegistryScan, NoMaximumConfiguredLimitsNothing) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\a\\");
    registry.add(kJre, L"21", L"C:\\a");
    LauncherSettings settings = anyVersion();
    settings.maxVersion = maximumBound(L"");  // Maximum Version absent: all parts 0
    EXPECT_EQ(collectCandidates(registry, registryCriteriaOf(settings), disk.probe()).size(), 1u);
    EXPECT_TRUE(isWithinBounds(JavaVersion(21, 0, 0, 0), JavaVersion(), JavaVersion()));
    EXPECT_FALSE(isWithinBounds(JavaVersion(1, 7, 0, 0), JavaVersion(1, 8, 0, 0), JavaVersion()));
}

TEST(RegistryScan, PreferredVersionsChooseAmongTheRanked) {
    std::vector<JreCandidate> ranked = {
        {JavaVersion(17, 0, 0, 0), L"17", false, true},
        {JavaVersion(11, 0, 2, 0), L"11", false, true},
        {JavaVersion(1, 8, 0, 231), L"8", false, true},
    };
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"1.8", L"11"}), 2u);
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"1.7", L"11"}), 1u);
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"1.6"}), 0u);
    EXPECT_EQ(choosePreferredCandidate(ranked, {}), 0u);
    // An empty or non-numeric entry is all zero and takes the first ranked.
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"", L"1.8"}), 0u);
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"any", L"1.8"}), 0u);
    EXPECT_EQ(choosePreferredCandidate(ranked, {L"11.0.3", L"1.8.0_231"}), 2u);
}

TEST(RegistryScan, OnlyJreWithFavorJrockitRanksByVersionAlone) {
    FakeRegistry registry;
    Disk disk;
    for (auto home : {L"C:\\sun\\", L"C:\\rock\\", L"C:\\ibm\\", L"C:\\jdk\\"}) disk.client(home);
    disk.server(L"C:\\sun\\");
    registry.add(kJdk, L"30", L"C:\\jdk");          // a JDK root: not scanned
    registry.add(kJre, L"11", L"C:\\sun");
    registry.add(kJrockitJre, L"9", L"C:\\rock");   // preferred vendor, but lower
    registry.add(kJrockitJdk, L"40", L"C:\\jdk");   // a JDK root: not scanned
    registry.add(kIbm, L"10", L"C:\\ibm");

    LauncherSettings settings = anyVersion();
    applyJvmSource(settings, L"only_JRE");
    applyVmProvider(settings, L"favor_jrockit");
    auto candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    rankCandidates(candidates, registryCriteriaOf(settings));
    EXPECT_EQ(homesOf(candidates),
              (std::vector<std::wstring>{L"C:\\sun\\", L"C:\\ibm\\", L"C:\\rock\\"}));
    EXPECT_TRUE(candidates[2].preferred);

    // With the server VM favoured, the server candidate ranks first whatever its version.
    settings.jvmType = 2;
    registry.add(kJre, L"50", L"C:\\rock");
    candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    rankCandidates(candidates, registryCriteriaOf(settings));
    EXPECT_EQ(candidates[0].home, L"C:\\sun\\");
    EXPECT_TRUE(candidates[0].isServerVm);
}

TEST(RegistryScan, FavorJdkRanksJdkRootsFirst) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\jre\\");
    disk.client(L"C:\\jdk\\");
    registry.add(kJre, L"21", L"C:\\jre");
    registry.add(kJdk, L"11", L"C:\\jdk");
    LauncherSettings settings = anyVersion();
    applyJvmSource(settings, L"favor_JDK");
    EXPECT_EQ(selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe())->home, std::wstring(L"C:\\jdk\\"));
}

TEST(RegistryScan, UnknownJvmSourceScansNothing) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\a\\");
    registry.add(kJre, L"11", L"C:\\a");
    LauncherSettings settings = anyVersion();
    applyJvmSource(settings, L"favor_jre");
    EXPECT_FALSE(selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe()));
}

TEST(RegistryScan, FavorServerValidatesTheOldJreRootClientFirst) {
    FakeRegistry registry;
    Disk disk;
    disk.client(L"C:\\jre8\\");
    disk.server(L"C:\\jre8\\");
    registry.add(kOldJre, L"1.8.0_231", L"C:\\jre8");
    LauncherSettings settings = anyVersion();
    settings.jvmType = 2;
    auto candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_FALSE(candidates[0].isServerVm);
    // The newer roots are validated server-first.
    registry.add(kJre, L"11", L"C:\\jre8");
    candidates = collectCandidates(registry, registryCriteriaOf(settings), disk.probe());
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_TRUE(candidates[0].isServerVm);
}

TEST(RegistryScan, VendorTables) {
    LauncherSettings settings = anyVersion();
    applyVmProvider(settings, L"ibm");
    EXPECT_FALSE(isRootScanned(kRegistryRoots[0], registryCriteriaOf(settings)));
    EXPECT_TRUE(isRootScanned(kRegistryRoots[6], registryCriteriaOf(settings)));
    EXPECT_TRUE(isRootPreferred(kRegistryRoots[6], registryCriteriaOf(settings)));
    applyVmProvider(settings, L"jrockit");
    EXPECT_TRUE(isRootScanned(kRegistryRoots[4], registryCriteriaOf(settings)));
    EXPECT_TRUE(isRootScanned(kRegistryRoots[5], registryCriteriaOf(settings)));
    EXPECT_FALSE(isRootScanned(kRegistryRoots[6], registryCriteriaOf(settings)));
    EXPECT_EQ(validationJvmType(kRegistryRoots[3], 2), 0);
    EXPECT_EQ(validationJvmType(kRegistryRoots[3], 1), 1);
    EXPECT_EQ(validationJvmType(kRegistryRoots[1], 2), 2);
}

TEST(RegistryScan, VendorKeysOfBothHivesRankTogetherWithJavaSoftOnes) {
    FakeRegistry registry;
    Disk disk;
    const RegistryHive machine = RegistryHive::localMachine;
    const RegistryHive user = RegistryHive::currentUser;
    registry.add(kJre, L"17.0.2", L"C:\\jre17");
    disk.server(L"C:\\jre17\\");
    registry.addVendor(machine, L"SOFTWARE\\Eclipse Adoptium\\", L"JDK\\21.0.5.11\\hotspot\\MSI", L"Path",
                       L"C:\\temurin21\\");
    disk.server(L"C:\\temurin21\\");
    // The EXE installer writes the path without a trailing backslash; a
    // per-user install lands in HKEY_CURRENT_USER.
    registry.addVendor(user, L"SOFTWARE\\Microsoft\\JDK\\", L"21.0.6\\hotspot\\EXE", L"Path", L"C:\\ms21");
    disk.server(L"C:\\ms21\\");
    // Left behind by an uninstaller: no VM in its home.
    registry.addVendor(machine, L"SOFTWARE\\SapMachine\\JDK\\", L"25", L"JavaHome", L"C:\\gone");
    registry.addVendor(machine, L"SOFTWARE\\Semeru\\", L"JRE\\23.0.1\\openj9\\MSI", L"Path", L"C:\\semeru23");
    disk.server(L"C:\\semeru23\\");
    registry.addVendor(machine, L"SOFTWARE\\Azul Systems\\Zulu\\", L"zulu-22", L"InstallationPath", L"C:\\zulu");
    disk.server(L"C:\\zulu\\");
    registry.addVendor(user, L"SOFTWARE\\BellSoft\\Liberica\\", L"Liberica", L"InstallationPath", L"C:\\lib");
    disk.server(L"C:\\lib\\");
    const ReleaseVersionProbe release = [](const std::wstring& home) {
        return home == L"C:\\lib\\" ? std::wstring(L"20.0.2") : std::wstring();
    };

    // Sun/Oracle family by default: HotSpot builds count, OpenJ9 ones do not.
    LauncherSettings settings = anyVersion();
    std::vector<JreCandidate> found = collectCandidates(registry, registryCriteriaOf(settings), disk.probe(), release);
    std::vector<std::wstring> homes;
    for (const JreCandidate& c : found) homes.push_back(c.version.format() + L" " + c.home);
    EXPECT_EQ(homes, (std::vector<std::wstring>{L"17.0.2 C:\\jre17\\", L"21.0.5.11 C:\\temurin21\\",
                                                L"22.0 C:\\zulu\\", L"21.0.6 C:\\ms21\\", L"20.0.2 C:\\lib\\"}));
    auto chosen = selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe(), release);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->home, L"C:\\zulu\\");
    settings.preferredVersions = {L"21"};
    EXPECT_EQ(selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe(), release)->home,
              L"C:\\ms21\\");

    // OpenJ9 builds are IBM's family for VM Provider, but not IBM's own
    // installer: their main thread leaves the VM as usual.
    applyVmProvider(settings, L"ibm");
    settings.preferredVersions.clear();
    chosen = selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe(), release);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->home, L"C:\\semeru23\\");
    EXPECT_EQ(chosen->vendor, VendorFamily::ibm);
    EXPECT_FALSE(chosen->ibmRoot);

    // Only JREs: the JDK keys are not asked for.
    settings = anyVersion();
    applyJvmSource(settings, L"only_JRE");
    found = collectCandidates(registry, registryCriteriaOf(settings), disk.probe(), release);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].home, L"C:\\jre17\\");
}

TEST(RegistryScan, ReleaseFileVersion) {
    EXPECT_EQ(javaVersionOfRelease("IMPLEMENTOR=\"Azul\"\nJAVA_VERSION=\"21.0.5\"\r\nOS_NAME=x\n"), L"21.0.5");
    EXPECT_EQ(javaVersionOfRelease("JAVA_RUNTIME_VERSION=\"21\"\n"), L"");
}

TEST(RegistryScan, TodaysVendorsJava8IsJava18ForBoundsAndPreferences) {
    FakeRegistry registry;
    Disk disk;
    for (auto home : {L"C:\\jre8\\", L"C:\\temurin8\\", L"C:\\zulu8\\", L"C:\\temurin21\\"}) disk.client(home);
    registry.add(kOldJre, L"1.8.0_391", L"C:\\jre8");
    registry.addVendor(RegistryHive::localMachine, L"SOFTWARE\\Eclipse Adoptium\\", L"JRE\\8.0.392.8\\hotspot\\MSI",
                       L"Path", L"C:\\temurin8\\");
    registry.addVendor(RegistryHive::localMachine, L"SOFTWARE\\Eclipse Adoptium\\", L"JDK\\21.0.5.11\\hotspot\\MSI",
                       L"Path", L"C:\\temurin21\\");
    // Zulu's key names the major version only; the release file the exact one.
    registry.addVendor(RegistryHive::localMachine, L"SOFTWARE\\Azul Systems\\Zulu\\", L"zulu-8", L"InstallationPath",
                       L"C:\\zulu8");
    const ReleaseVersionProbe release = [](const std::wstring& home) {
        return home == L"C:\\zulu8\\" ? std::wstring(L"1.8.0_402") : std::wstring();
    };
    LauncherSettings settings = anyVersion();
    settings.maxVersion = maximumBound(L"1.8");
    std::vector<std::wstring> found;
    for (const JreCandidate& c : collectCandidates(registry, registryCriteriaOf(settings), disk.probe(), release))
        found.push_back(c.version.format() + L" " + c.home);
    EXPECT_EQ(found, (std::vector<std::wstring>{L"1.8.0.391 C:\\jre8\\", L"1.8.0.392 C:\\temurin8\\",
                                                L"1.8.0.402 C:\\zulu8\\"}));
    settings = anyVersion();
    const std::pair<const wchar_t*, const wchar_t*> preferences[] = {
        {L"1.8", L"C:\\zulu8\\"}, {L"8", L"C:\\zulu8\\"}, {L"8.0.392", L"C:\\temurin8\\"}};
    for (const auto& preference : preferences) {
        settings.preferredVersions = {L"1.7", preference.first};
        EXPECT_EQ(selectRegisteredRuntime(registry, registryCriteriaOf(settings), disk.probe(), release)->home,
                  preference.second) << preference.first;
    }
    // A bound written the new way means the same.
    EXPECT_TRUE(isWithinBounds(JavaVersion(1, 8, 0, 392), minimumBound(L"8"), maximumBound(L"8")));
    EXPECT_FALSE(isWithinBounds(JavaVersion(1, 8, 0, 392), minimumBound(L"8.0.400"), maximumBound(L"8")));
}

namespace {

std::vector<std::wstring> traced;
void keepTrace(const std::wstring& line) {
    traced.push_back(line);
}

}  // namespace

TEST(RegistryScan, PerUserRuntimeOfTheOtherProcessorIsPassedOver) {
    // HKEY_CURRENT_USER\Software is one key in both views: a 32-bit process
    // sees a per-user x64 Temurin beside its own 32-bit JavaSoft runtime.
    FakeRegistry registry;
    Disk disk;
    const std::wstring temurin = L"C:\\Users\\\u0141ukasz\\AppData\\Local\\Programs\\Eclipse Adoptium\\jdk-21\\";
    disk.server(temurin);
    disk.client(L"C:\\Program Files (x86)\\Java\\jre1.8.0_391\\");
    registry.add(kOldJre, L"1.8.0_391", L"C:\\Program Files (x86)\\Java\\jre1.8.0_391");
    registry.addVendor(RegistryHive::currentUser, L"SOFTWARE\\Eclipse Adoptium\\", L"JDK\\21.0.5.11\\hotspot\\EXE",
                       L"Path", temurin);
    const ForeignImageProbe x64 = [&temurin](const std::wstring& dll) { return dll.compare(0, temurin.size(), temurin) == 0; };
    traced.clear();
    setTraceWriter(keepTrace);
    auto chosen = selectRegisteredRuntime(registry, registryCriteriaOf(anyVersion()), disk.probe(), nullptr, x64);
    setTraceWriter(nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->home, L"C:\\Program Files (x86)\\Java\\jre1.8.0_391\\");
    EXPECT_NE(std::find(traced.begin(), traced.end(),
                        L"registry HKCU\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.5.11\\hotspot\\EXE: passed over, " +
                            temurin + L"bin\\server\\jvm.dll is built for another processor"),
              traced.end());
}

TEST(RegistryScan, OnlyFullyQualifiedHomesCount) {
    FakeRegistry registry;
    Disk disk;
    // Each would be taken from the working directory, or a drive's current folder.
    for (auto home : {L"jre", L"C:jre", L"\\jre", L"C:/Java/jre11"}) {
        disk.client(home + std::wstring(L"\\"));
        registry.add(kJre, L"11." + std::to_wstring(disk.files.size()), home);
    }
    registry.addVendor(RegistryHive::currentUser, L"SOFTWARE\\Microsoft\\JDK\\", L"21.0.6\\hotspot\\MSI", L"Path", L"jre");
    registry.addVendor(RegistryHive::localMachine, L"SOFTWARE\\Azul Systems\\Zulu\\", L"zulu-21", L"InstallationPath",
                       L"jre");
    const ReleaseVersionProbe release = [](const std::wstring& home) {
        EXPECT_TRUE(isFullyQualifiedPath(home)) << "release file read in " << home;
        return std::wstring(L"21.0.5");
    };
    auto candidates = collectCandidates(registry, registryCriteriaOf(anyVersion()), disk.probe(), release);
    EXPECT_EQ(homesOf(candidates), (std::vector<std::wstring>{L"C:/Java/jre11\\"}));
}
