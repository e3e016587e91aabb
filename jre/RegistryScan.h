#pragma once

#include "jre/JavaVersion.h"
#include "jre/JvmLibrary.h"

#include <optional>
#include <string>
#include <vector>

struct LauncherSettings;

// One runtime found in the registry.
struct JreCandidate {
    JavaVersion version;
    std::wstring home;  // ends in "\"
    bool isServerVm = false;
    bool preferred = false;
};

enum class InstallKind { jdk, jre };
enum class VendorFamily { javaSoft, jrockit, ibm };

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

// What the scan needs to know of the registry (one view of it).
class RuntimeRegistry {
public:
    virtual ~RuntimeRegistry() = default;
    // The names of key's direct subkeys in listing order; none when the key
    // cannot be opened.
    virtual std::vector<std::wstring> subkeyNames(const std::wstring& key) = 0;
    // The "JavaHome" string of key; empty when the key, the value or its
    // text is missing.
    virtual std::wstring javaHome(const std::wstring& key) = 0;
};

// Whether the settings let the scan look under root.
bool isRootScanned(const RegistryRoot& root, const LauncherSettings& settings);

// Whether the runtimes under root are preferred ones.
bool isRootPreferred(const RegistryRoot& root, const LauncherSettings& settings);

// The VM type with which a home under root is validated.
int validationJvmType(const RegistryRoot& root, int jvmType);

// Whether version lies within the inclusive bounds. An all-zero maximum is
// the bound of a configuration that names none, and limits nothing.
bool isWithinBounds(const JavaVersion& version, const JavaVersion& minimum,
                    const JavaVersion& maximum);

// Every registered runtime that fits the settings, in discovery order.
std::vector<JreCandidate> collectCandidates(RuntimeRegistry& registry,
                                            const LauncherSettings& settings,
                                            const FileProbe& exists);

// Orders candidates best first (stable): preferred ones first when all kinds
// are allowed, server VMs first when favoured, then the higher version.
void rankCandidates(std::vector<JreCandidate>& candidates, const LauncherSettings& settings);

// The index of the ranked candidate that the preferred versions choose: the
// first entry that matches a candidate in its significant parts wins; without
// a match, the first candidate.
size_t choosePreferredCandidate(const std::vector<JreCandidate>& ranked,
                                const std::vector<std::wstring>& preferredVersions);

// The home of the registered runtime to use, if any fits.
std::optional<std::wstring> selectRegisteredRuntime(RuntimeRegistry& registry,
                                                    const LauncherSettings& settings,
                                                    const FileProbe& exists);
