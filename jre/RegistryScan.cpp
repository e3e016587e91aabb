#include "jre/RegistryScan.h"

#include "util/Paths.h"
#include "util/TextSplit.h"
#include "util/Trace.h"

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

const VendorRoot kVendorRoots[8] = {
    {L"SOFTWARE\\Eclipse Adoptium\\", VendorLayout::kindVersionVmLeaf, L"Path", false},
    {L"SOFTWARE\\Eclipse Foundation\\", VendorLayout::kindVersionVmLeaf, L"Path", false},
    {L"SOFTWARE\\AdoptOpenJDK\\", VendorLayout::kindVersionVmLeaf, L"Path", false},
    {L"SOFTWARE\\Microsoft\\JDK\\", VendorLayout::versionVmLeaf, L"Path", false},
    {L"SOFTWARE\\SapMachine\\JDK\\", VendorLayout::versionKey, L"JavaHome", false},
    {L"SOFTWARE\\Azul Systems\\Zulu\\", VendorLayout::productKey, L"InstallationPath", false},
    {L"SOFTWARE\\BellSoft\\Liberica\\", VendorLayout::productKey, L"InstallationPath", false},
    {L"SOFTWARE\\Semeru\\", VendorLayout::kindVersionVmLeaf, L"Path", true},
};

namespace {

bool kindSelected(InstallKind kind, const RegistryCriteria& criteria) {
    return kind == InstallKind::jdk ? criteria.jdkSelected : criteria.jreSelected;
}

bool kindSelected(const RegistryRoot& root, const RegistryCriteria& criteria) {
    return kindSelected(root.kind, criteria);
}

const wchar_t* hiveName(RegistryHive hive) {
    return hive == RegistryHive::localMachine ? L"HKLM\\" : L"HKCU\\";
}

void tracePassedOver(RegistryHive hive, const std::wstring& key, const wchar_t* reason) {
    if (tracing()) trace(L"registry " + std::wstring(hiveName(hive)) + key + L": passed over, " + reason);
}

// The home that key's value names, with a trailing backslash; empty (and
// traced) when there is none. A path that is not fully qualified would be
// taken from the working directory, which is no runtime's place.
std::wstring homeOf(RuntimeRegistry& registry, RegistryHive hive, const std::wstring& key, const wchar_t* value) {
    const std::wstring home = registry.stringValue(hive, key, value);
    if (home.empty()) {
        tracePassedOver(hive, key, (L"no " + std::wstring(value)).c_str());
        return home;
    }
    if (!isFullyQualifiedPath(home)) {
        tracePassedOver(hive, key, (L"its home " + home + L" is not an absolute path").c_str());
        return std::wstring();
    }
    return withTrailingBackslash(home);
}

// Adds candidate when its home holds a VM library of jvmType (uninstallers
// leave keys behind whose folder is gone) built for this process's
// processor; traced either way.
void addIfItHoldsAVm(std::vector<JreCandidate>& candidates, RegistryHive hive, const std::wstring& key,
                     JreCandidate candidate, int jvmType, const FileProbe& exists, const ForeignImageProbe& isForeign) {
    auto library = findJvmLibrary(candidate.home, jvmType, exists);
    if (!library) {
        tracePassedOver(hive, key, (L"no VM library in " + candidate.home).c_str());
        return;
    }
    if (isForeign && isForeign(library->path)) {
        tracePassedOver(hive, key, (library->path + L" is built for another processor").c_str());
        return;
    }
    if (tracing())
        trace(L"registry " + std::wstring(hiveName(hive)) + key + L": candidate " + candidate.version.format() +
              L" in " + candidate.home);
    candidate.isServerVm = library->isServerVm;
    candidates.push_back(std::move(candidate));
}

// One version key a vendor's installer left, before its home is read.
struct VendorKey {
    std::wstring key;
    std::wstring versionName;
    InstallKind kind;
    VendorFamily vendor;
};

// The {MSI|EXE} leaves below key\vm (hotspot or openj9).
void addLeaves(RuntimeRegistry& registry, RegistryHive hive, const VendorRoot& root, const std::wstring& key,
               const std::wstring& versionName, InstallKind kind, std::vector<VendorKey>& keys) {
    for (const std::wstring& vm : registry.subkeyNames(hive, key)) {
        const bool openj9 = equalsIgnoringCase(vm, L"openj9");
        if (!openj9 && (root.openj9Only || !equalsIgnoringCase(vm, L"hotspot"))) continue;
        const std::wstring vmKey = key + L"\\" + vm;
        for (const std::wstring& leaf : registry.subkeyNames(hive, vmKey)) {
            if (!equalsIgnoringCase(leaf, L"MSI") && !equalsIgnoringCase(leaf, L"EXE")) continue;
            keys.push_back(VendorKey{vmKey + L"\\" + leaf, versionName, kind,
                                     openj9 ? VendorFamily::ibm : VendorFamily::javaSoft});
        }
    }
}

std::vector<VendorKey> vendorKeys(RuntimeRegistry& registry, RegistryHive hive, const VendorRoot& root) {
    std::vector<VendorKey> keys;
    const std::wstring base = root.key;
    switch (root.layout) {
    case VendorLayout::kindVersionVmLeaf:
        for (const std::wstring& kindName : registry.subkeyNames(hive, base)) {
            const bool jdk = equalsIgnoringCase(kindName, L"JDK");
            if (!jdk && !equalsIgnoringCase(kindName, L"JRE")) continue;
            const std::wstring kindKey = base + kindName;
            for (const std::wstring& version : registry.subkeyNames(hive, kindKey))
                addLeaves(registry, hive, root, kindKey + L"\\" + version, version,
                          jdk ? InstallKind::jdk : InstallKind::jre, keys);
        }
        break;
    case VendorLayout::versionVmLeaf:
        for (const std::wstring& version : registry.subkeyNames(hive, base))
            addLeaves(registry, hive, root, base + version, version, InstallKind::jdk, keys);
        break;
    case VendorLayout::versionKey:
    case VendorLayout::productKey:
        for (const std::wstring& name : registry.subkeyNames(hive, base)) {
            const bool jre = root.layout == VendorLayout::productKey && containsIgnoringCase(name, L"jre");
            keys.push_back(VendorKey{base + name, name, jre ? InstallKind::jre : InstallKind::jdk,
                                     VendorFamily::javaSoft});
        }
        break;
    }
    return keys;
}

// A product key's name carries the major version at most (zulu-8): the
// release file of its home names the exact one. The other keys are named
// after their version.
JavaVersion vendorVersion(const VendorRoot& root, const VendorKey& found, const std::wstring& home,
                          const ReleaseVersionProbe& releaseVersion) {
    JavaVersion version;
    const bool productKey = root.layout == VendorLayout::productKey;
    if (productKey && releaseVersion && version.parse(releaseVersion(home), 0)) return version.inClassicNumbering();
    if (!version.parse(found.versionName, 0) && !productKey && releaseVersion) version.parse(releaseVersion(home), 0);
    return version.inClassicNumbering();
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
    const JavaVersion classic = version.inClassicNumbering();
    if (JavaVersion::compare(classic, minimum.inClassicNumbering()) < 0) return false;
    bool noMaximum = maximum == JavaVersion(0, 0, 0, 0);
    return noMaximum || JavaVersion::compare(classic, maximum.inClassicNumbering()) <= 0;
}

std::wstring javaVersionOfRelease(const std::string& text) {
    const std::string key = "JAVA_VERSION=";
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.compare(0, key.size(), key) != 0) continue;
        line.erase(0, key.size());
        std::wstring value;
        for (char c : line)
            if (c != '"' && c != '\r') value += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return value;
    }
    return std::wstring();
}

std::vector<JreCandidate> collectCandidates(RuntimeRegistry& registry, const RegistryCriteria& criteria,
                                            const FileProbe& exists, const ReleaseVersionProbe& releaseVersion,
                                            const ForeignImageProbe& isForeign) {
    std::vector<JreCandidate> candidates;
    const RegistryHive machine = RegistryHive::localMachine;
    for (const RegistryRoot& root : kRegistryRoots) {
        if (!isRootScanned(root, criteria)) continue;
        bool preferred = isRootPreferred(root, criteria);
        int jvmType = validationJvmType(root, criteria.jvmType);
        const std::wstring rootKey = root.key;
        for (const std::wstring& name : registry.subkeyNames(machine, rootKey)) {
            const std::wstring key = rootKey + name;
            JavaVersion version;
            version.parse(name, 0);
            version = version.inClassicNumbering();
            if (!isWithinBounds(version, criteria.minVersion, criteria.maxVersion)) {
                tracePassedOver(machine, key, L"outside the version bounds");
                continue;
            }
            std::wstring home = homeOf(registry, machine, key, L"JavaHome");
            if (home.empty()) continue;
            if (root.homeInJreFolder) home += L"jre\\";
            addIfItHoldsAVm(candidates, machine, key,
                            JreCandidate{version, home, false, preferred, root.vendor, root.vendor == VendorFamily::ibm},
                            jvmType, exists, isForeign);
        }
    }

    for (RegistryHive hive : {RegistryHive::localMachine, RegistryHive::currentUser}) {
        for (const VendorRoot& root : kVendorRoots) {
            for (const VendorKey& found : vendorKeys(registry, hive, root)) {
                const bool kindScanned = criteria.allKindsAllowed || kindSelected(found.kind, criteria);
                if (!kindScanned || !vendorAllowed(found.vendor, criteria)) {
                    tracePassedOver(hive, found.key, L"its kind or vendor is not asked for");
                    continue;
                }
                const std::wstring home = homeOf(registry, hive, found.key, root.value);
                if (home.empty()) continue;
                const JavaVersion version = vendorVersion(root, found, home, releaseVersion);
                if (!isWithinBounds(version, criteria.minVersion, criteria.maxVersion)) {
                    tracePassedOver(hive, found.key, L"outside the version bounds");
                    continue;
                }
                const bool preferred = kindSelected(found.kind, criteria) && vendorPreferred(found.vendor, criteria);
                addIfItHoldsAVm(candidates, hive, found.key,
                                JreCandidate{version, home, false, preferred, found.vendor, false}, criteria.jvmType,
                                exists, isForeign);
            }
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
        JavaVersion parsed;
        parsed.parse(entry, 0);
        const JavaVersion wanted = parsed.inClassicNumbering();
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

std::optional<RegisteredRuntime> selectRegisteredRuntime(RuntimeRegistry& registry, const RegistryCriteria& criteria,
                                                         const FileProbe& exists,
                                                         const ReleaseVersionProbe& releaseVersion,
                                                         const ForeignImageProbe& isForeign) {
    std::vector<JreCandidate> candidates = collectCandidates(registry, criteria, exists, releaseVersion, isForeign);
    if (candidates.empty()) return std::nullopt;
    rankCandidates(candidates, criteria);
    const JreCandidate& chosen = candidates[choosePreferredCandidate(candidates, criteria.preferredVersions)];
    if (tracing()) trace(L"registry: chose " + chosen.version.format() + L" in " + chosen.home);
    return RegisteredRuntime{chosen.home, chosen.vendor, chosen.ibmRoot};
}
