#pragma once

#include "jre/JavaVersion.h"
#include "jre/JvmLibrary.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class InstallKind { jdk, jre };
enum class VendorFamily { javaSoft, jrockit, ibm };

// What the configuration asks of a registered runtime. The defaults are those
// of a configuration that sets nothing (any kind, Sun/Oracle runtimes only),
// except the bounds, which admit every version.
struct RegistryCriteria {
    JavaVersion minVersion;
    JavaVersion maxVersion;  // all zero: no upper bound
    std::vector<std::wstring> preferredVersions;
    int jvmType = 0;  // 0 any VM, 1 server VM only, 2 server VM first
    bool allKindsAllowed = true;
    bool jdkSelected = true;
    bool jreSelected = true;
    bool sunAllowed = true;
    bool sunPreferred = true;
    bool jrockitAllowed = false;
    bool jrockitPreferred = false;
    bool ibmAllowed = false;
    bool ibmPreferred = false;
};

// One runtime found in the registry.
struct JreCandidate {
    JavaVersion version;
    std::wstring home;  // ends in "\"
    bool isServerVm = false;
    bool preferred = false;
    VendorFamily vendor = VendorFamily::javaSoft;
    bool ibmRoot = false;  // listed by IBM's own installer, whose VM ends itself
};

// The runtime a registry scan chose.
struct RegisteredRuntime {
    std::wstring home;  // ends in "\"
    VendorFamily vendor = VendorFamily::javaSoft;
    bool ibmRoot = false;
};

// A registry key under which runtime installers list their versions.
struct RegistryRoot {
    const wchar_t* key;  // under HKEY_LOCAL_MACHINE, ending in "\"
    InstallKind kind;
    VendorFamily vendor;
    bool homeInJreFolder;        // older JDK keys name the JDK; the runtime is its jre\ folder
    bool clientFirstWhenFavored; // validated client-first even when the server VM is favoured
};

// The roots in scan order.
extern const RegistryRoot kRegistryRoots[7];

// How the installers of today's OpenJDK builds list their runtimes, under
// HKEY_LOCAL_MACHINE and (per-user installs) HKEY_CURRENT_USER:
enum class VendorLayout {
    kindVersionVmLeaf,  // {JDK|JRE}\<version>\{hotspot|openj9}\{MSI|EXE}
    versionVmLeaf,      // <version>\hotspot\{MSI|EXE}, JDKs only
    versionKey,         // <version>, JDKs only
    productKey,         // <product>: the version in its name, or in the home's release file
};

struct VendorRoot {
    const wchar_t* key;  // ending in "\"
    VendorLayout layout;
    const wchar_t* value;  // the home's value name
    bool openj9Only;       // lists OpenJ9 builds only (IBM's family)
};

extern const VendorRoot kVendorRoots[8];

enum class RegistryHive { localMachine, currentUser };

// What the scan needs to know of the registry (one view of it).
class RuntimeRegistry {
public:
    virtual ~RuntimeRegistry() = default;
    // The names of key's direct subkeys in listing order; none when the key
    // cannot be opened.
    virtual std::vector<std::wstring> subkeyNames(RegistryHive hive, const std::wstring& key) = 0;
    // The string value name of key; empty when the key, the value or its
    // text is missing.
    virtual std::wstring stringValue(RegistryHive hive, const std::wstring& key, const wchar_t* name) = 0;
};

// The JAVA_VERSION of a runtime home's release file; empty when there is none.
using ReleaseVersionProbe = std::function<std::wstring(const std::wstring& home)>;

// Whether the DLL at a path is built for another processor than this
// process's own (false for anything unreadable).
using ForeignImageProbe = std::function<bool(const std::wstring& dllPath)>;

// The JAVA_VERSION="..." value of a release file's text; empty without one.
std::wstring javaVersionOfRelease(const std::string& text);

// Whether the settings let the scan look under root.
bool isRootScanned(const RegistryRoot& root, const RegistryCriteria& criteria);

// Whether the runtimes under root are preferred ones.
bool isRootPreferred(const RegistryRoot& root, const RegistryCriteria& criteria);

// The VM type with which a home under root is validated.
int validationJvmType(const RegistryRoot& root, int jvmType);

// Whether version lies within the inclusive bounds, all three compared in
// their classic numbering (8.0.392 within 1.8). An all-zero maximum is the
// bound of a configuration that names none, and limits nothing.
bool isWithinBounds(const JavaVersion& version, const JavaVersion& minimum,
                    const JavaVersion& maximum);

// Every registered runtime that fits the settings, in discovery order:
// JavaSoft's, JRockit's and IBM's roots first, then those of the vendors.
// Versions are in their classic numbering (a vendor's 8.0.392.8 is
// 1.8.0.392); a vendor's product key takes its version from the home's
// release file, else from its name. A home that is not a fully qualified path
// is passed over, and so is one whose VM library isForeign says is built for
// another processor (HKEY_CURRENT_USER\Software is the same key in both
// registry views, so it lists the per-user runtimes of either processor).
// Each key looked at is traced with the reason it was taken or passed over.
std::vector<JreCandidate> collectCandidates(RuntimeRegistry& registry, const RegistryCriteria& criteria,
                                            const FileProbe& exists,
                                            const ReleaseVersionProbe& releaseVersion = nullptr,
                                            const ForeignImageProbe& isForeign = nullptr);

// Orders candidates best first (stable): preferred ones first when all kinds
// are allowed, server VMs first when favoured, then the higher version.
void rankCandidates(std::vector<JreCandidate>& candidates, const RegistryCriteria& criteria);

// The index of the ranked candidate that the preferred versions choose: the
// first entry that matches a candidate in its significant parts wins; without
// a match, the first candidate. Entries are read in the classic numbering
// too: "8" chooses a 1.8.0.392.
size_t choosePreferredCandidate(const std::vector<JreCandidate>& ranked,
                                const std::vector<std::wstring>& preferredVersions);

// The registered runtime to use, if any fits (candidates as collectCandidates
// finds them).
std::optional<RegisteredRuntime> selectRegisteredRuntime(RuntimeRegistry& registry, const RegistryCriteria& criteria,
                                                         const FileProbe& exists,
                                                         const ReleaseVersionProbe& releaseVersion = nullptr,
                                                         const ForeignImageProbe& isForeign = nullptr);
