#include "launcher/Launcher_win.h"

#include "launcher/CommandLine.h"
#include "launcher/ConfigPaths.h"
#include "launcher/EmbeddedSettings.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/ExitCodes.h"
#include "launcher/ProfileFile_win.h"
#include "resources/resource.h"
#include "util/FileSystem_win.h"
#include "util/UniqueResource_win.h"

Launcher::~Launcher() {
    // DestroyJavaVM returns when the application's last non-daemon thread has
    // ended, so a windowed application keeps the process until it closes.
    if (javaVm != nullptr) javaVm->DestroyJavaVM();
}

bool Launcher::initialize() {
    arguments = argumentsFromCommandLine(GetCommandLineW());
    if (!loadSettings()) return false;
    if (!checkSingleInstance()) return false;
    // A later start of a single-instance application hands its arguments to
    // the first one and needs no runtime of its own.
    if (singleInstanceEnabled && !firstInstance) return true;
    if (settings.overrideWorkingDir) moveToExecutableFolder();
    return findRuntime();
}

int Launcher::run() {
    if (handOverToPair) return runPairProduct();
    if (singleInstanceEnabled && !firstInstance) return waitForFirstInstance();
    return startJava();
}

bool Launcher::loadSettings() {
    std::wstring configFile;
    if (!getConfigFilePath(configFile)) return false;

    ProfileFile productInfo(configFile);
    productInfo.readString(kProductSection, L"Product Code", settings.productCode);
    productInfo.readString(kProductSection, L"Upgrade Code", settings.upgradeCode);
    productInfo.readString(kProductSection, L"Product Name", settings.productName);

    LayeredProfileFile layered(configFile, embeddedBaseSettings(settings.upgradeCode));

    // The runtime folder a user picked lives in the per-user file; when that
    // file exists it alone decides.
    std::wstring userFile = getUserConfigFilePath(false);
    FileFinder finder;
    bool haveUserFile = !userFile.empty() && finder.find(userFile.c_str());
    ProfileFile userStore(userFile);

    if (!readLauncherSettings(settings, layered.store(), haveUserFile ? &userStore : nullptr)) {
        showError(messageOwner, loadText(IDS_NO_MAIN_CLASS));
        return false;
    }
    return true;
}

bool Launcher::getConfigFilePath(std::wstring& path) {
    std::wstring executable;
    if (!modulePath(executable, messageOwner)) return false;
    auto config = configFilePathFor(executable);
    if (!config) return false;
    path = *config;
    return true;
}

std::wstring Launcher::getUserConfigFilePath(bool create) {
    std::wstring executable;
    if (!modulePath(executable, messageOwner)) return std::wstring();
    return buildUserConfigFilePath(executable, create);
}

bool Launcher::getPairConfigFilePath(std::wstring& path) {
    if (settings.pairProduct.empty()) return false;
    auto config = configFilePathFor(settings.pairProduct);
    if (!config) return false;
    path = *config;
    return true;
}

std::wstring Launcher::getPairUserConfigFilePath() {
    if (settings.pairProduct.empty()) return std::wstring();
    return buildUserConfigFilePath(settings.pairProduct, true);
}

std::wstring Launcher::buildUserConfigFilePath(const std::wstring& executablePath, bool create) {
    // APPDATA is read whole, however long it is.
    std::wstring appData;
    DWORD needed = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
    if (needed > 0) {
        appData.assign(needed, L'\0');
        DWORD length = GetEnvironmentVariableW(L"APPDATA", &appData[0], needed);
        appData.resize(length < needed ? length : 0);
    }
    UserConfigLocation location = userConfigLocationFor(executablePath, settings.productName,
                                                        settings.productCode, appData);
    if (create) {
        CreateDirectoryW(location.productFolder.c_str(), nullptr);
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    }
    return location.file;
}

bool Launcher::checkSingleInstance() {
    // Single-instance mode is not available in this build: every start is a
    // start of its own.
    singleInstanceEnabled = false;
    firstInstance = true;
    return true;
}

void Launcher::moveToExecutableFolder() {
    std::wstring executable;
    if (!modulePath(executable, messageOwner)) return;
    size_t slash = executable.rfind(L'\\');
    if (slash == std::wstring::npos || slash < 1) return;
    // A failure leaves the working directory as the caller set it.
    SetCurrentDirectoryW(executable.substr(0, slash).c_str());
}

int Launcher::runPairProduct() {
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(settings.pairProduct.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        return kExitSuccess;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!settings.pairReturnCode) return kExitSuccess;
    WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) return kExitSuccess;
    return static_cast<int>(exitCode);
}

int Launcher::waitForFirstInstance() {
    // Without single-instance mode no start is ever a forwarded one.
    return kExitFailure;
}

int Launcher::startJava() {
    prepareRuntimeEnvironment();
    if (!loadJvmLibrary()) return kExitFailure;
    // An empty class path has been reported; the start goes on, and the
    // missing main class is reported next.
    assembleVmOptions();
    return startJavaMainThread() == 0 ? kExitSuccess : kExitFailure;
}
