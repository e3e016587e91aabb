#include "launcher/Launcher_win.h"

#include "jre/RegistryView_win.h"
#include "jvm/DatePattern_win.h"
#include "jvm/JavaMainThread_win.h"
#include "jvm/JavaMain_jni.h"
#include "jvm/JavaStart_win.h"
#include "jvm/JvmLibrary_win.h"
#include "launcher/ConfigPaths.h"
#include "launcher/EmbeddedSettings.h"
#include "jvm/StackTrace_jni.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/ExceptionDialog_win.h"
#include "launcher/ExitCodes.h"
#include "launcher/MessageText.h"
#include "launcher/ProfileFile_win.h"
#include "launcher/RuntimeNotFoundDialog_win.h"
#include "launcher/RuntimeRequirement.h"
#include "resources/resource.h"
#include "splash/SplashLayout.h"
#include "util/CommandLine.h"
#include "util/Environment_win.h"
#include "util/FileSystem_win.h"
#include "util/Paths.h"
#include "util/PeImageProbe_win.h"
#include "util/Trace.h"
#include "util/UniqueResource_win.h"

namespace {

// The launcher as the Java main thread sees it.
class LauncherJavaHost : public JavaMainHost {
public:
    LauncherJavaHost(SplashScreen& splash, SingleInstance& singleInstance)
        : splash_(splash), singleInstance_(singleInstance) {}

    void reportVmCreationFailure(jint code) override {
        const unsigned reason = jniReasonMessageId(code);
        showError(messageOwner(), formatText(loadText(IDS_JNI_ERROR),
                                            {loadText(IDS_CANNOT_CREATE_VM), reason ? loadText(reason) : L""}));
    }
    void reportMainClassFailure(MainClassFailure failure, const std::wstring& className) override {
        switch (failure) {
        case MainClassFailure::nameNotConvertible:
            showFormattedError(messageOwner(), loadText(IDS_CANNOT_LOAD_MAIN_CLASS), className);
            break;
        case MainClassFailure::classNotFound:
            showFormattedError(messageOwner(), loadText(IDS_MAIN_CLASS_NOT_FOUND), className);
            break;
        case MainClassFailure::noMainMethod:
            showError(messageOwner(), loadText(IDS_NO_MAIN_METHOD));
            break;
        }
    }
    void prepareStreamTargets(StreamTargets& targets) override {
        expandDatePatterns(targets);
        if (!targets.outputFile.empty()) createFoldersForFile(targets.outputFile);
        if (!targets.errorFile.empty()) createFoldersForFile(targets.errorFile);
    }
    void mainStarting() override {
        if (tracing()) trace(L"main: about to run");
        singleInstance_.signalMainStarting();
    }
    void closeSplash() override { splash_.close(); }
    bool showUncaughtException(jthrowable exception, JNIEnv* env) override {
        const std::wstring trace = captureStackTrace(env, exception);
        // Without a trace there is nothing to show: the application goes on.
        if (trace.empty()) return false;
        // A dialog that cannot be shown counts as "Stop".
        return showExceptionDialog(GetActiveWindow(), trace) != 1;
    }
    void parkForever() override { Sleep(INFINITE); }

private:
    HWND messageOwner() const { return splash_.window(); }

    SplashScreen& splash_;
    SingleInstance& singleInstance_;
};

}  // namespace

// Serves a later start in the first instance: enters the VM once main is
// about to run and hands the arguments to the main class's secondaryMain.
class JavaInstanceServer : public InstanceRequestServer {
public:
    explicit JavaInstanceServer(std::wstring mainClass) : mainClass_(std::move(mainClass)) {}

    // The VM is there: requests are served from now on. keepAttached: the
    // runtime ends the VM itself and its threads never leave it (IBM).
    void serveWith(std::shared_ptr<JavaVmOwner> vm, bool keepAttached) {
        AcquireSRWLockExclusive(&lock_);
        vm_ = std::move(vm);
        keepAttached_ = keepAttached;
        ReleaseSRWLockExclusive(&lock_);
    }

    void serve(const std::vector<std::wstring>& arguments, const std::function<void(int)>& reply) override {
        AcquireSRWLockShared(&lock_);
        const std::shared_ptr<JavaVmOwner> vm = vm_;
        const bool keepAttached = keepAttached_;
        ReleaseSRWLockShared(&lock_);
        if (!vm) return;
        JNIEnv* env = vm->attachWorker();
        if (env == nullptr) return;
        runSecondaryMain(env, mainClass_, arguments, reply);
        if (!keepAttached) vm->detachWorker();
    }

private:
    const std::wstring mainClass_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::shared_ptr<JavaVmOwner> vm_;
    bool keepAttached_ = false;
};

namespace {

bool fileAt(const std::wstring& path) {
    return fileExists(path);
}

}  // namespace

Launcher::~Launcher() {
    // The picture goes as soon as main has returned, not when the VM ends.
    splash_.close();
    // DestroyJavaVM returns when the application's last non-daemon thread has
    // ended, so a windowed application keeps the process until it closes.
    if (vm_) vm_->destroy();
    // Later starts are served as long as the application lives.
    singleInstance_.close();
    // The runtime's splash library is told last, after the VM has gone.
    nativeSplash_.close();
}

bool Launcher::initialize() {
    arguments_ = argumentsFromCommandLine(GetCommandLineW());
    DWORD error = ERROR_SUCCESS;
    executablePath_ = moduleFileName(nullptr, error);
    if (executablePath_.empty()) {
        showWindowsError(messageOwner(), loadText(IDS_WINDOWS_ERROR), loadText(IDS_MODULE_PATH_FAILED), error);
        return false;
    }
    if (tracing()) trace(L"executable " + executablePath_);
    if (!loadSettings()) return false;
    if (!checkSingleInstance()) return false;
    // A later start of a single-instance application hands its arguments to
    // the first one and needs no runtime of its own.
    if (isLaterStart()) {
        if (tracing()) trace(L"single instance: a later start, the arguments went to the first one");
        return true;
    }
    if (tracing() && singleInstance_.role() == SingleInstance::Role::first)
        trace(L"single instance: the first instance");
    if (settings_.overrideWorkingDir) moveToExecutableFolder();
    return findRuntime();
}

int Launcher::run() {
    if (runtime_.handOverToPair) return runPairProduct();
    if (isLaterStart()) return singleInstance_.waitForFirstInstance();
    return startJava();
}

bool Launcher::loadSettings() {
    auto config = configFilePathFor(executablePath_);
    if (!config) return false;
    configFile_ = *config;
    if (tracing()) trace(L"config file " + configFile_);
    // A file that exists but cannot be read would read as empty and be
    // reported as naming no main class.
    if (const unsigned long problem = configFileProblem(configFile_)) {
        showObjectError(messageOwner(), configFile_, problem);
        return false;
    }

    ProfileFile productInfo(configFile_);
    productInfo.readString(kProductSection, L"Product Code", settings_.productCode);
    productInfo.readString(kProductSection, L"Upgrade Code", settings_.upgradeCode);
    productInfo.readString(kProductSection, L"Product Name", settings_.productName);

    LayeredProfileFile layered(configFile_, embeddedBaseSettings(settings_.upgradeCode));

    // The runtime folder a user picked lives in the per-user file; when that
    // file exists it alone decides.
    const std::wstring userFile =
        userConfigLocationFor(executablePath_, settings_.productName, settings_.productCode,
                              environmentValue(L"APPDATA").value_or(std::wstring()))
            .file;
    FileFinder finder;
    const bool haveUserFile = finder.find(userFile.c_str());
    if (tracing()) trace(L"per-user config file " + userFile + (haveUserFile ? L"" : L": none"));
    ProfileFile userStore(userFile);

    if (!readLauncherSettings(settings_, layered.store(), haveUserFile ? &userStore : nullptr)) {
        showError(messageOwner(), loadText(IDS_NO_MAIN_CLASS));
        return false;
    }
    return true;
}

bool Launcher::checkSingleInstance() {
    if (!settings_.singleInstance) return true;
    instanceServer_ = std::make_shared<JavaInstanceServer>(settings_.mainClass);
    // False: a later start whose arguments could not be handed over ends
    // with -1 and no message.
    return singleInstance_.start(executablePath_, arguments_, instanceServer_);
}

void Launcher::moveToExecutableFolder() {
    const std::wstring folder = workingFolderOf(executablePath_);
    // A failure leaves the working directory as the caller set it.
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
}

bool Launcher::findRuntime() {
    const RegistryCriteria criteria = registryCriteriaOf(settings_);
    RuntimeProbes probes;
    probes.exists = fileAt;
    probes.isForeignImage = isForeignArchitectureImage;
    probes.registry = [&criteria](bool view64, const ForeignImageProbe& passOver) {
        RuntimeRegistryView registry(view64);
        return selectRegisteredRuntime(registry, criteria, fileAt, releaseFileVersion, passOver);
    };
    RuntimeRequest request;
    request.jrePath = settings_.jrePath;
    request.executableFolder = folderOf(executablePath_);
    request.jvmType = settings_.jvmType;
    request.pairProductConfigured = !settings_.pairProduct.empty();

    if (auto choice = chooseRuntime(request, probes)) {
        runtime_ = *choice;
        return true;
    }

    // The user is asked last; leaving the dialog without a folder ends the start.
    if (tracing()) trace(L"runtime: none found; the user is asked");
    const ComposedText requirement = requirementSentence(settings_.minVersion, settings_.maxVersion);
    const std::wstring message = formatText(loadText(runtimeNotFoundMessageId(settings_.jvmType)),
                                            {formatText(loadText(requirement.id), requirement.arguments)});
    PickedRuntime picked;
    if (showRuntimeNotFoundDialog(GetActiveWindow(), message, settings_.jvmType, picked) != 1) return false;
    runtime_ = RuntimeChoice{};
    runtime_.jvmPath = picked.jvmPath;
    runtime_.source = RuntimeSource::user;
    applyBitnessRule(runtime_, request.pairProductConfigured, probes);
    if (tracing()) trace(L"runtime: the user picked " + runtime_.jvmPath);
    storeRuntimeFolder(picked.folder);
    return true;
}

void Launcher::storeRuntimeFolder(const std::wstring& folder) {
    // Failures are not reported: the chosen runtime is used all the same, and
    // the user is asked again next time.
    auto store = [&folder](const std::wstring& file) {
        WritePrivateProfileStringW(kRuntimeSection, L"JRE Path", folder.c_str(), file.c_str());
    };
    const std::wstring& pair = settings_.pairProduct;
    if (settings_.isService) {
        // A service has no per-user state: its configuration files keep it.
        store(configFile_);
        if (!pair.empty()) {
            if (auto pairConfig = configFilePathFor(pair)) store(*pairConfig);
        }
        return;
    }
    const std::wstring appData = environmentValue(L"APPDATA").value_or(std::wstring());
    const std::wstring* executables[] = {&executablePath_, &pair};
    for (const std::wstring* executable : executables) {
        if (executable->empty()) continue;
        const UserConfigLocation location =
            userConfigLocationFor(*executable, settings_.productName, settings_.productCode, appData);
        CreateDirectoryW(location.productFolder.c_str(), nullptr);
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
        store(location.file);
    }
}

int Launcher::runPairProduct() {
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(settings_.pairProduct.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        // The user started the application and nothing would happen.
        const DWORD error = GetLastError();
        showObjectError(messageOwner(), settings_.pairProduct, error);
        return kExitFailure;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!settings_.pairReturnCode) return kExitSuccess;
    WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) return kExitSuccess;
    return static_cast<int>(exitCode);
}

int Launcher::startJava() {
    LayeredProfileFile layered(configFile_, embeddedBaseSettings(settings_.upgradeCode));
    const JavaStartPlan plan =
        planJavaStart(readJavaStartSettings(layered.store(), settings_),
                      gatherJavaStartFacts(runtime_.jvmPath, keepsMainThreadAlive(runtime_), executablePath_,
                                           arguments_));
    if (tracing()) {
        for (const std::wstring& option : plan.options) trace(L"vm option " + option);
        trace(L"main class " + plan.main.mainClass);
    }
    // A path the VM cannot be given is reported before anything shows.
    JavaMainPlan mainPlan;
    std::wstring unrepresentable;
    if (!javaMainPlanOf(plan, mainPlan, unrepresentable)) {
        showFormattedError(messageOwner(), loadText(IDS_PATH_NOT_IN_CODE_PAGE), unrepresentable);
        return kExitFailure;
    }
    applyEnvironment(plan);
    if (!asksForNoSplash(arguments_) && !showSplash()) return kExitSuccess;

    JvmEntryPoints entryPoints;
    JvmLoadFailure failure;
    if (!loadJvmLibrary(runtime_.jvmPath, entryPoints, failure)) {
        if (failure.step == JvmLoadStep::loadLibrary)
            showWindowsError(messageOwner(), loadText(IDS_CANNOT_LOAD_JVM), runtime_.jvmPath, failure.error);
        else
            showWindowsError(messageOwner(), loadText(IDS_WINDOWS_ERROR), loadText(IDS_NO_CREATE_JAVA_VM),
                             failure.error);
        return kExitFailure;
    }
    if (tracing()) trace(L"jvm.dll loaded from " + runtime_.jvmPath);
    // An empty class path is reported; the start goes on, and the missing
    // main class is reported next.
    if (plan.classPathMissing) showError(messageOwner(), loadText(IDS_NO_CLASS_PATH));

    vm_ = std::make_shared<JavaVmOwner>(entryPoints);
    if (instanceServer_) instanceServer_->serveWith(vm_, keepsMainThreadAlive(runtime_));
    const std::uint32_t stackSize = plan.threadStackSize != 0 ? plan.threadStackSize : vm_->defaultThreadStackSize();

    LauncherJavaHost host(splash_, singleInstance_);
    JavaVmOwner& vm = *vm_;
    const int result = runOnJavaMainThread(stackSize, [&vm, &mainPlan, &host] {
        return runJavaMain(vm, mainPlan, host);
    });
    if (result == 0) return kExitSuccess;
    nativeSplash_.close();
    return kExitFailure;
}

bool Launcher::showSplash() {
    ProfileFile display(configFile_);
    std::wstring image;
    display.readString(kDisplaySection, L"Splash Screen", image);
    if (image.empty()) return true;
    std::wstring preference;
    display.readString(kDisplaySection, L"Preffer Native Splash Screen", preference);
    if (nativeSplash_.start(runtime_.jvmPath, image, isYes(preference))) return true;
    std::wstring shadow;
    display.readString(kDisplaySection, L"Splash Screen Shadow", shadow);
    splash_.show(image, wantsSplashShadow(shadow));
    return true;
}
