#include "jre/RegistryScan.h"

#include "launcher/LauncherSettings.h"

#include <algorithm>

const RegistryRoot kRegistryRoots[7] = {
    {L"Software\\JavaSoft\\JDK\\", InstallKind::jdk, VendorFamily::javaSoft, false, false},
    {L"Software\\JavaSoft\\JRE\\", InstallKind::jre, VendorFamily::javaSoft, false, false},
    {L"Software\\JavaSoft\\Java Development Kit\\", InstallKind::jdk, VendorFamily::javaSoft, true,
     false},
    {L"Software\\JavaSoft\\Java Runtime Environment\\", InstallKind::jre, VendorFamily::javaSoft,
     false, true},
    {L"Software\\JRockit\\Java Runtime Environment\\", InstallKind::jre, VendorFamily::jrockit,
     false, false},
    {L"Software\\JRockit\\Java Development Kit\\", InstallKind::jdk, VendorFamily::jrockit, true,
     false},
    {L"Software\\IBM\\Java2 Runtime Environment\\", InstallKind::jre, VendorFamily::ibm, false,
     false},
};

namespace {

bool kindSelected(const RegistryRoot& root, const LauncherSettings& settings) {
    return root.kind == InstallKind::jdk ? settings.jdkSelected : settings.jreSelected;
}

bool vendorAllowed(VendorFamily vendor, const LauncherSettings& settings) {
    switch (vendor) {
    case VendorFamily::javaSoft: return settings.sunAllowed || settings.sunPreferred;
    case VendorFamily::jrockit: return settings.jrockitAllowed || settings.jrockitPreferred;
    case VendorFamily::ibm: return settings.ibmAllowed || settings.ibmPreferred;
    }
    return false;
}

bool vendorPreferred(VendorFamily vendor, const LauncherSettings& settings) {
    switch (vendor) {
    case VendorFamily::javaSoft: return settings.sunPreferred;
    case VendorFamily::jrockit: return settings.jrockitPreferred;
    case VendorFamily::ibm: return settings.ibmPreferred;
    }
    return false;
}

}  // namespace

bool isRootScanned(const RegistryRoot& root, const LauncherSettings& settings) {
    return (settings.allKindsAllowed || kindSelected(root, settings)) &&
           vendorAllowed(root.vendor, settings);
}

bool isRootPreferred(const RegistryRoot& root, const LauncherSettings& settings) {
    return kindSelected(root, settings) && vendorPreferred(root.vendor, settings);
}

int validationJvmType(const RegistryRoot& root, int jvmType) {
    return (root.clientFirstWhenFavored && jvmType == 2) ? 0 : jvmType;
}

bool isWithinBounds(const JavaVersion& version, const JavaVersion& minimum,
                    const JavaVersion& maximum) {
    if (JavaVersion::compare(version, minimum) < 0) return false;
    bool noMaximum = maximum == JavaVersion(0, 0, 0, 0);
    return noMaximum || JavaVersion::compare(version, maximum) <= 0;
}

std::vector<JreCandidate> collectCandidates(RuntimeRegistry& registry,
                                            const LauncherSettings& settings,
                                            const FileProbe& exists) {
    std::vector<JreCandidate> candidates;
    for (const RegistryRoot& root : kRegistryRoots) {
        if (!isRootScanned(root, settings)) continue;
        bool preferred = isRootPreferred(root, settings);
        int jvmType = validationJvmType(root, settings.jvmType);
        for (const std::wstring& name : registry.subkeyNames(root.key)) {
            JavaVersion version;
            version.parse(name, 0);
            if (!isWithinBounds(version, settings.minVersion, settings.maxVersion)) continue;
            std::wstring home = registry.javaHome(root.key + name);
            if (home.empty()) continue;
            home = withTrailingBackslash(home);
            if (root.homeInJreFolder) home += L"jre\\";
            auto library = findJvmLibrary(home, jvmType, exists);
            if (!library) continue;
            candidates.push_back(JreCandidate{version, home, library->isServerVm, preferred});
        }
    }
    return candidates;
}

void rankCandidates(std::vector<JreCandidate>& candidates, const LauncherSettings& settings) {
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&settings](const JreCandidate& a, const JreCandidate& b) {
                         if (settings.allKindsAllowed && a.preferred != b.preferred)
                             return a.preferred;
                         if (settings.jvmType == 2 && a.isServerVm != b.isServerVm)
                             return a.isServerVm;
                         return JavaVersion::compare(a.version, b.version) > 0;
                     });
}

size_t choosePreferredCandidate(const std::vector<JreCandidate>& ranked,
                                const std::vector<std::wstring>& preferredVersions) {
    for (const std::wstring& entry : preferredVersions) {
        JavaVersion wanted;
        wanted.parse(entry, 0);
        // Trailing zero parts are left open: "11" matches every 11.x.y.z.
        int significant = 4;
        while (significant > 0 && wanted.part(significant - 1) == 0) --significant;
        for (size_t i = 0; i < ranked.size(); ++i) {
            bool matches = true;
            for (int part = 0; part < significant; ++part) {
                if (ranked[i].version.part(part) != wanted.part(part)) {
                    matches = false;
                    break;
                }
            }
            if (matches) return i;
        }
    }
    return 0;
}

std::optional<std::wstring> selectRegisteredRuntime(RuntimeRegistry& registry,
                                                    const LauncherSettings& settings,
                                                    const FileProbe& exists) {
    std::vector<JreCandidate> candidates = collectCandidates(registry, settings, exists);
    if (candidates.empty()) return std::nullopt;
    rankCandidates(candidates, settings);
    return candidates[choosePreferredCandidate(candidates, settings.preferredVersions)].home;
}
