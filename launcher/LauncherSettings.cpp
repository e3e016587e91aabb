#include "launcher/LauncherSettings.h"

#include "launcher/SettingsStore.h"
#include "splash/SplashLayout.h"
#include "util/TextSplit.h"

#include <algorithm>

const wchar_t* const kProductSection = L"Product Information";
const wchar_t* const kRuntimeSection = L"Java Runtime Environment";
const wchar_t* const kApplicationSection = L"Application";
const wchar_t* const kClassPathSection = L"Class Path";
const wchar_t* const kDisplaySection = L"Display";

namespace {

std::wstring read(SettingsStore& store, const wchar_t* section, const wchar_t* key) {
    std::wstring value;
    store.readString(section, key, value);
    return value;
}

}  // namespace

bool isYes(const std::wstring& value) {
    return equalsIgnoringCase(value, L"Yes");
}

int jvmTypeFromValue(const std::wstring& value) {
    if (value == L"server") return 1;
    if (value == L"favor_server") return 2;
    return 0;
}

void applyJvmSource(LauncherSettings& settings, const std::wstring& value) {
    bool all = false, jdk = false, jre = false;
    if (value.empty()) {
        all = settings.allKindsAllowed;
        jdk = jre = true;
    } else if (value == L"favor_JRE") {
        all = true;
        jre = true;
    } else if (value == L"favor_JDK") {
        all = true;
        jdk = true;
    } else if (value == L"only_JDK") {
        jdk = true;
    } else if (value == L"only_JRE") {
        jre = true;
    }
    settings.allKindsAllowed = all;
    settings.jdkSelected = jdk;
    settings.jreSelected = jre;
}

void applyVmProvider(LauncherSettings& settings, const std::wstring& value) {
    struct Row {
        const wchar_t* name;
        bool jrockitAllowed, jrockitPreferred, sunAllowed, sunPreferred, ibmAllowed, ibmPreferred;
    };
    static const Row rows[] = {
        {L"jrockit", true, true, false, false, false, false},
        {L"ibm", false, false, false, false, true, true},
        {L"favor_sun", true, false, true, true, true, false},
        {L"favor_jrockit", true, true, true, false, true, false},
        {L"favor_ibm", true, false, true, false, true, true},
        {L"any", true, false, true, false, true, false},
    };
    if (value.empty()) return;
    for (const Row& row : rows) {
        if (!equalsIgnoringCase(value, row.name)) continue;
        settings.jrockitAllowed = row.jrockitAllowed;
        settings.jrockitPreferred = row.jrockitPreferred;
        settings.sunAllowed = row.sunAllowed;
        settings.sunPreferred = row.sunPreferred;
        settings.ibmAllowed = row.ibmAllowed;
        settings.ibmPreferred = row.ibmPreferred;
        return;
    }
}

bool readLauncherSettings(LauncherSettings& settings, SettingsStore& layered,
                          SettingsStore* userFile) {
    settings.minVersion = minimumBound(read(layered, kRuntimeSection, L"Minimum Version"));
    settings.maxVersion = maximumBound(read(layered, kRuntimeSection, L"Maximum Version"));
    settings.isService = read(layered, kApplicationSection, L"Application Type") == L"service";
    // Exactly "yes"; never for a service, whose every start runs.
    settings.singleInstance =
        !settings.isService && read(layered, kApplicationSection, L"Single Instance") == L"yes";
    settings.preferredVersions =
        splitAtSeparator(read(layered, kRuntimeSection, L"Preferred versions"), L";");
    // A per-user choice of runtime replaces the shipped one entirely, even when
    // the per-user file has no such key; a service has no per-user state.
    SettingsStore& jrePathStore = (!settings.isService && userFile) ? *userFile : layered;
    settings.jrePath = read(jrePathStore, kRuntimeSection, L"JRE Path");
    settings.jvmType = jvmTypeFromValue(read(layered, kRuntimeSection, L"JVM Type"));
    applyJvmSource(settings, read(layered, kRuntimeSection, L"JVM Source"));
    applyVmProvider(settings, read(layered, kRuntimeSection, L"VM Provider"));
    settings.mainClass = read(layered, kRuntimeSection, L"Main Class");
    if (settings.mainClass.empty()) return false;
    std::replace(settings.mainClass.begin(), settings.mainClass.end(), L'.', L'/');

    settings.failureCheck = isYes(read(layered, kApplicationSection, L"Failure Check"));
    settings.overrideWorkingDir = isYes(read(layered, kApplicationSection, L"Override WorkingDir"));
    settings.systemPath = read(layered, kRuntimeSection, L"System Path");
    settings.libraryPath = read(layered, kRuntimeSection, L"Library Path");
    settings.pairProduct = read(layered, kApplicationSection, L"Pair Product");
    settings.pairReturnCode = isYes(read(layered, kApplicationSection, L"Pair Return Code"));
    return true;
}

RegistryCriteria registryCriteriaOf(const LauncherSettings& settings) {
    RegistryCriteria criteria;
    criteria.minVersion = settings.minVersion;
    criteria.maxVersion = settings.maxVersion;
    criteria.preferredVersions = settings.preferredVersions;
    criteria.jvmType = settings.jvmType;
    criteria.allKindsAllowed = settings.allKindsAllowed;
    criteria.jdkSelected = settings.jdkSelected;
    criteria.jreSelected = settings.jreSelected;
    criteria.sunAllowed = settings.sunAllowed;
    criteria.sunPreferred = settings.sunPreferred;
    criteria.jrockitAllowed = settings.jrockitAllowed;
    criteria.jrockitPreferred = settings.jrockitPreferred;
    criteria.ibmAllowed = settings.ibmAllowed;
    criteria.ibmPreferred = settings.ibmPreferred;
    return criteria;
}

JavaStartSettings readJavaStartSettings(SettingsStore& layered, const LauncherSettings& settings) {
    JavaStartSettings start;
    start.mainClass = settings.mainClass;
    start.libraryPath = settings.libraryPath;
    start.systemPath = settings.systemPath;
    start.failureCheck = settings.failureCheck;
    start.isService = settings.isService;
    start.classPath = read(layered, kClassPathSection, L"Class Path");
    start.embeddedJar = isYes(read(layered, kApplicationSection, L"Embedded Jar"));
    start.vmParameters = read(layered, kRuntimeSection, L"Virtual Machine Parameters");
    start.outputFile = read(layered, kApplicationSection, L"Output File");
    start.outputAppend = read(layered, kApplicationSection, L"Output Append") == L"yes";
    start.errorFile = read(layered, kApplicationSection, L"Error File");
    start.errorAppend = read(layered, kApplicationSection, L"Error Append") == L"yes";
    start.cmd = read(layered, kApplicationSection, L"Cmd");
    return start;
}

bool readSettings(SettingsSources& sources, LauncherSettings& settings) {
    // The upgrade code selects the embedded base settings, so it comes from
    // the file alone; everything else may come from the base when the file
    // lacks it, so that an application can ship without a file.
    settings.upgradeCode = read(sources.configFile(), kProductSection, L"Upgrade Code");
    SettingsStore& layered = sources.layered(settings.upgradeCode);
    settings.productCode = read(layered, kProductSection, L"Product Code");
    settings.productName = read(layered, kProductSection, L"Product Name");
    if (!readLauncherSettings(settings, layered, sources.userFile(settings.productName, settings.productCode)))
        return false;
    settings.java = readJavaStartSettings(layered, settings);
    settings.display.splashImage = read(layered, kDisplaySection, L"Splash Screen");
    if (!settings.display.splashImage.empty()) {
        settings.display.preferNativeSplash = isYes(read(layered, kDisplaySection, L"Preffer Native Splash Screen"));
        settings.display.splashShadow = wantsSplashShadow(read(layered, kDisplaySection, L"Splash Screen Shadow"));
    }
    return true;
}
