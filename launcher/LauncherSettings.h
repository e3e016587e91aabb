#pragma once

#include "jre/JavaVersion.h"
#include "jre/RegistryScan.h"
#include "jvm/JavaStartPlan.h"

#include <string>
#include <vector>

class SettingsStore;

// Sections of the configuration file.
extern const wchar_t* const kProductSection;      // "Product Information"
extern const wchar_t* const kRuntimeSection;      // "Java Runtime Environment"
extern const wchar_t* const kApplicationSection;  // "Application"
extern const wchar_t* const kClassPathSection;    // "Class Path"
extern const wchar_t* const kDisplaySection;      // "Display"

// The splash keys of the "Display" section.
struct DisplaySettings {
    std::wstring splashImage;  // "Splash Screen"; empty: no splash
    bool splashShadow = false;
    bool preferNativeSplash = false;  // "Preffer Native Splash Screen"
};

// The parsed value of every key of one start, read once; the defaults are
// those of a configuration that sets nothing.
struct LauncherSettings {
    std::wstring productCode;
    std::wstring upgradeCode;
    std::wstring productName;
    JavaVersion minVersion;
    JavaVersion maxVersion;
    bool isService = false;
    bool singleInstance = false;  // later starts hand their arguments to the first
    std::vector<std::wstring> preferredVersions;
    std::wstring jrePath;
    int jvmType = 0;  // 0 any VM, 1 server VM only, 2 server VM first
    bool jdkSelected = false;
    bool jreSelected = false;
    bool allKindsAllowed = true;
    bool jrockitAllowed = false;
    bool sunAllowed = true;
    bool ibmAllowed = false;
    bool jrockitPreferred = false;
    bool sunPreferred = true;
    bool ibmPreferred = false;
    std::wstring mainClass;  // internal form, "/" between packages
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    std::wstring systemPath;
    std::wstring libraryPath;
    std::wstring pairProduct;
    bool pairReturnCode = false;
    // The keys of the Java start (class path, VM parameters, streams, Cmd).
    JavaStartSettings java;
    DisplaySettings display;
};

// Where the configuration of one start is read.
class SettingsSources {
public:
    virtual ~SettingsSources() = default;
    // The configuration file beside the executable, as it stands.
    virtual SettingsStore& configFile() = 0;
    // The same over the embedded base settings that upgradeCode selects.
    virtual SettingsStore& layered(const std::wstring& upgradeCode) = 0;
    // The per-user file of the product; null when it does not exist.
    virtual SettingsStore* userFile(const std::wstring& productName, const std::wstring& productCode) = 0;
};

// Reads every key of a start, once: the product information from the
// configuration file, the rest from the layered store, "JRE Path" from the
// per-user file when there is one. False when "Main Class" is empty (the
// caller reports it).
bool readSettings(SettingsSources& sources, LauncherSettings& settings);

// True when value is "Yes" in any letter case.
bool isYes(const std::wstring& value);

// "server" -> 1, "favor_server" -> 2, anything else -> 0 (exact comparison).
int jvmTypeFromValue(const std::wstring& value);

// Sets the three installation-kind flags from a "JVM Source" value.
void applyJvmSource(LauncherSettings& settings, const std::wstring& value);

// Sets the six vendor flags from a "VM Provider" value; an empty or unknown
// value leaves them as they are.
void applyVmProvider(LauncherSettings& settings, const std::wstring& value);

// Reads the keys of the "Java Runtime Environment" and "Application" sections
// from layered; "JRE Path" comes from userFile instead when that is given and
// the application is not a service. False when "Main Class" is empty: the
// keys after it are then not read and the caller reports the missing class.
bool readLauncherSettings(LauncherSettings& settings, SettingsStore& layered,
                          SettingsStore* userFile);

// What the registry scan is to look for, from the settings.
RegistryCriteria registryCriteriaOf(const LauncherSettings& settings);

// Reads the keys of the Java start from layered (class path, VM parameters,
// streams, Cmd, embedded jar) and takes the rest from settings.
JavaStartSettings readJavaStartSettings(SettingsStore& layered, const LauncherSettings& settings);
