#include "jre/RegistryScan.h"

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

bool kindSelected(const RegistryRoot& root, const RegistryCriteria& criteria) {
    return root.kind == InstallKind::jdk ? criteria.jdkSelected : criteria.jreSelected;
}

bool vendorAllowed(VendorFamily vendor, const RegistryCriteria& criteria) {
    switch (vendor) {
    case VendorFamily::javaSoft: return criteria.sunAllowed || criteria.sunPreferred;
    case VendorFamily::jrockit: return criteria.jrockitAllowed || criteria.jrockitPreferred;
    case VendorFamily::ibm: return criteria.ibmAllowed || criteria.ibmPreferred;
    }
    return false;
}

bool vendorPreferred(VendorFamily vendor, const RegistryCriteria& criteria) {
    switch (vendor) {
    case VendorFamily::javaSoft: return criteria.sunPreferred;
    case VendorFamily::jrockit: return criteria.jrockitPreferred;
    case VendorFamily::ibm: return criteria.ibmPreferred;
    }
    return false;
}

}  // namespace

bool isRootScanned(const RegistryRoot& root, const RegistryCriteria& criteria) {
    return (criteria.allKindsAllowed || kindSelected(root, criteria)) &&
           vendorAllowed(root.vendor, criteria);
}

bool isRootPreferred(const RegistryRoot& root, const RegistryCriteria& criteria) {
    return kindSelected(root, criteria) && vendorPreferred(root.vendor, criteria);
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
                                            const RegistryCriteria& criteria,
                                            const FileProbe& exists) {
    std::vector<JreCandidate> candidates;
    for (const RegistryRoot& root : kRegistryRoots) {
        if (!isRootScanned(root, criteria)) continue;
        bool preferred = isRootPreferred(root, criteria);
        int jvmType = validationJvmType(root, criteria.jvmType);
        for (const std::wstring& name : registry.subkeyNames(root.key)) {
            JavaVersion version;
            version.parse(name, 0);
            if (!isWithinBounds(version, criteria.minVersion, criteria.maxVersion)) continue;
            std::wstring home = registry.javaHome(root.key + name);
            if (home.empty()) continue;
            home = withTrailingBackslash(home);
            if (root.homeInJreFolder) home += L"jre\\";
            auto library = findJvmLibrary(home, jvmType, exists);
            if (!library) continue;
            candidates.push_back(JreCandidate{version, home, library->isServerVm, preferred, root.vendor});
        }
    }
    return candidates;
}

void rankCandidates(std::vector<JreCandidate>& candidates, const RegistryCriteria& criteria) {
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&criteria](const JreCandidate& a, const JreCandidate& b) {
                         if (criteria.allKindsAllowed && a.preferred != b.preferred)
                             return a.preferred;
                         if (criteria.jvmType == 2 && a.isServerVm != b.isServerVm)
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

std::optional<RegisteredRuntime> selectRegisteredRuntime(RuntimeRegistry& registry,
                                                    const RegistryCriteria& criteria,
                                                    const FileProbe& exists) {
    std::vector<JreCandidate> candidates = collectCandidates(registry, criteria, exists);
    if (candidates.empty()) return std::nullopt;
    rankCandidates(candidates, criteria);
    const JreCandidate& chosen = candidates[choosePreferredCandidate(candidates, criteria.preferredVersions)];
    return RegisteredRuntime{chosen.home, chosen.vendor};
}
