#include "launcher/Launcher_win.h"

#include "jvm/JavaMainThread_win.h"
#include "jvm/JavaMain_jni.h"
#include "jvm/JavaStart_win.h"
#include "jvm/JvmLibrary_win.h"
#include "launcher/ConfigPaths.h"
#include "launcher/ConfigurationFiles_win.h"
#include "launcher/ConsoleFlavour_win.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/ExitCodes.h"
#include "launcher/JavaInstanceServer_win.h"
#include "launcher/LauncherJavaHost_win.h"
#include "launcher/MessageText.h"
#include "launcher/ProfileFile_win.h"
#include "launcher/RuntimeNotFoundDialog_win.h"
#include "launcher/RuntimeRequirement.h"
#include "launcher/StartFacts_win.h"
#include "resources/resource.h"
#include "util/CommandLine.h"
#include "util/DllSearch_win.h"
#include "util/FileSystem_win.h"
#include "util/Trace.h"
#include "util/UniqueResource_win.h"

int Launcher::run() {
    arguments_ = argumentsFromCommandLine(GetCommandLineW());
    // Taken out first, so that no program the application starts inherits it.
    const std::wstring handedOverBy = takeHandedOverBy();
    if (!loadSettings()) return kExitFailure;
    // A later start that the first instance could not serve runs the
    // application itself: the role is taken, and the start planned, again.
    for (bool notServedBefore = false;; notServedBefore = true) {
        if (!takeInstanceRole()) return kExitFailure;
        StartFacts facts = gatherStartFacts(executablePath_, arguments_, instanceRole(), handedOverBy, settings_);
        StartPlan plan = planStart(settings_, facts);
        if (plan.route == StartRoute::laterStart) {
            if (tracing()) {
                for (const std::wstring& line : describeStartPlan(plan)) trace(line);
            }
            const LaterStartEnd end = singleInstance_.waitForFirstInstance();
            if (end.served || notServedBefore) return end.exitCode;
            if (tracing())
                trace(L"single instance: not served (" + end.reason + L"); this start runs the application");
            continue;
        }
        return carryOut(plan, facts);
    }
}

int Launcher::carryOut(StartPlan& plan, StartFacts& facts) {
    // Before the runtime is used: the pair product and the VM start there.
    if (!plan.workingFolder.empty()) SetCurrentDirectoryW(plan.workingFolder.c_str());
    if (plan.route == StartRoute::askUser && !askForRuntime(plan, facts)) return kExitFailure;
    if (tracing()) {
        for (const std::wstring& line : describeStartPlan(plan)) trace(line);
    }

    switch (plan.route) {
    case StartRoute::refuse:
        reportRefusal(plan);
        return kExitFailure;
    case StartRoute::handOver:
        // The sibling runs the application and is the first instance of its
        // own: later starts must not come here, where no VM will serve them.
        singleInstance_.close();
        return handOver(plan.pair);
    case StartRoute::laterStart:
    case StartRoute::askUser:
        return kExitFailure;
    case StartRoute::startJava:
        break;
    }
    return startJava(plan);
}

void Launcher::teardown() {
    if (tornDown_) return;
    tornDown_ = true;
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

bool Launcher::loadSettings() {
    DWORD error = ERROR_SUCCESS;
    executablePath_ = moduleFileName(nullptr, error);
    if (executablePath_.empty()) {
        showWindowsError(messageOwner(), loadText(IDS_WINDOWS_ERROR), loadText(IDS_MODULE_PATH_FAILED), error);
        return false;
    }
    if (tracing()) trace(L"executable " + executablePath_);
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
    appData_ = userAppDataFolder();
    ConfigurationFiles files(executablePath_, configFile_, appData_);
    if (!readSettings(files, settings_)) {
        showError(messageOwner(), loadText(IDS_NO_MAIN_CLASS));
        return false;
    }
    if (isConsoleProgram()) {
        // A command-line tool's caller sees what went wrong on standard
        // error and in the exit code, never a dialog it may not be there to
        // close; the pair product's exit code is the tool's.
        settings_.failureCheck = false;
        settings_.java.failureCheck = false;
        settings_.pairReturnCode = true;
        if (tracing()) trace(L"console flavour: no exception dialog, the pair product's exit code is passed on");
    }
    return true;
}

bool Launcher::takeInstanceRole() {
    if (!settings_.singleInstance) return true;
    instanceServer_ = std::make_shared<JavaInstanceServer>(settings_.mainClass);
    // False: a later start whose arguments could not be handed over at all
    // (more than 1 MiB) ends with -1.
    if (!singleInstance_.start(executablePath_, arguments_, instanceServer_)) return false;
    if (tracing() && instanceRole() == InstanceRole::first) trace(L"single instance: the first instance");
    if (tracing() && !singleInstance_.offReason().empty())
        trace(L"single instance: off, " + singleInstance_.offReason() + L"; this start runs the application");
    return true;
}

InstanceRole Launcher::instanceRole() const {
    switch (singleInstance_.role()) {
    case SingleInstance::Role::first: return InstanceRole::first;
    case SingleInstance::Role::later: return InstanceRole::later;
    case SingleInstance::Role::off: break;
    }
    return InstanceRole::off;
}

bool Launcher::askForRuntime(StartPlan& plan, StartFacts& facts) {
    if (tracing()) trace(L"runtime: none found; the user is asked");
    const ComposedText requirement = requirementSentence(settings_.minVersion, settings_.maxVersion);
    const std::wstring message = formatText(loadText(runtimeNotFoundMessageId(settings_.jvmType)),
                                            {formatText(loadText(requirement.id), requirement.arguments)});
    if (isConsoleProgram()) {
        showError(messageOwner(), message + L" " + loadText(IDS_DOWNLOAD_PAGE));
        return false;
    }
    PickedRuntime picked;
    if (showRuntimeNotFoundDialog(GetActiveWindow(), message, settings_.jvmType, !settings_.pairProduct.empty(),
                                  picked) != 1)
        return false;
    if (tracing()) trace(L"runtime: the user picked " + picked.jvmPath);
    storePickedRuntime(picked.folder);
    facts.pickedJvmPath = picked.jvmPath;
    plan = planStart(settings_, facts);
    return true;
}

void Launcher::storePickedRuntime(const std::wstring& folder) {
    RuntimeStoreRequest request;
    request.executablePath = executablePath_;
    request.pairProduct = settings_.pairProduct;
    request.isService = settings_.isService;
    request.productName = settings_.productName;
    request.productCode = settings_.productCode;
    request.appData = appData_;
    bool told = false;
    for (const RuntimeStoreTarget& target : runtimeStoreTargets(request)) {
        // A folder that cannot be made shows in the write that follows.
        for (const std::wstring& parent : target.folders) CreateDirectoryW(parent.c_str(), nullptr);
        ProfileFile file(target.file);
        if (file.writeString(kRuntimeSection, L"JRE Path", folder)) continue;
        const DWORD error = GetLastError();
        if (tracing()) trace(L"runtime: the user's choice could not be stored in " + target.file);
        // The start goes on with the choice; without a word the user would be
        // asked again at every start and never know why.
        if (!told) showObjectError(messageOwner(), formatText(loadText(IDS_RUNTIME_NOT_STORED), {target.file}), error);
        told = true;
    }
}

void Launcher::reportRefusal(const StartPlan& plan) {
    const unsigned id = plan.refusal == StartRefusal::pairProductIsThisExecutable ? IDS_PAIR_PRODUCT_IS_SELF
                                                                                   : IDS_PAIR_PRODUCT_HANDS_BACK;
    showFormattedError(messageOwner(), loadText(id), plan.pair.program);
}

int Launcher::handOver(const PairPlan& pair) {
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A console sibling writes to this program's standard handles, whatever
    // the caller made of them (a console, a file, a pipe), and the console's
    // events are its own while this one waits for its exit code.
    const bool console = isConsoleProgram();
    UniqueHandle standard[3];
    if (console) {
        leaveConsoleEventsToChild();
        const DWORD ids[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
        for (int i = 0; i < 3; ++i) {
            HANDLE copy = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), GetStdHandle(ids[i]), GetCurrentProcess(), &copy, 0, TRUE,
                                DUPLICATE_SAME_ACCESS))
                standard[i].reset(copy);
        }
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = standard[0].get();
        startup.hStdOutput = standard[1].get();
        startup.hStdError = standard[2].get();
    }
    // The sibling learns that it was handed this start, so that it never
    // hands it on again; the variable is this child's alone.
    SetEnvironmentVariableW(kHandedOverByVariable, executablePath_.c_str());
    const BOOL started = CreateProcessW(pair.program.c_str(), &commandLine[0], nullptr, nullptr, console, 0, nullptr,
                                        nullptr, &startup, &process);
    const DWORD error = GetLastError();
    SetEnvironmentVariableW(kHandedOverByVariable, nullptr);
    if (!started) {
        // The user started the application and nothing would happen.
        showObjectError(messageOwner(), pair.program, error);
        return kExitFailure;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!pair.waitForExit) return kExitSuccess;
    WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) return kExitSuccess;
    return static_cast<int>(exitCode);
}

int Launcher::startJava(const StartPlan& plan) {
    const std::wstring& jvmPath = plan.runtime.jvmPath;
    // A path the VM cannot be given is reported before anything shows.
    JavaMainPlan mainPlan;
    std::wstring unrepresentable;
    if (!javaMainPlanOf(plan.java, mainPlan, unrepresentable)) {
        showFormattedError(messageOwner(), loadText(IDS_PATH_NOT_IN_CODE_PAGE), unrepresentable);
        return kExitFailure;
    }
    applyEnvironment(plan.java);
    showSplash(plan.splash, jvmPath);

    JvmEntryPoints entryPoints;
    JvmLoadFailure failure;
    if (!loadJvmLibrary(jvmPath, entryPoints, failure)) {
        if (failure.step == JvmLoadStep::loadLibrary)
            showWindowsError(messageOwner(), loadText(IDS_CANNOT_LOAD_JVM), jvmPath, failure.error);
        else
            showWindowsError(messageOwner(), loadText(IDS_WINDOWS_ERROR),
                             loadText(failure.step == JvmLoadStep::createJavaVm ? IDS_NO_CREATE_JAVA_VM
                                                                                : IDS_NO_DEFAULT_INIT_ARGS),
                             failure.error);
        return kExitFailure;
    }
    if (tracing()) trace(L"jvm.dll loaded from " + jvmPath);
    // jvm.dll has its imports from the runtime itself; the application's
    // native libraries find what they depend on as under java.exe.
    openDllSearchForJava(processPathOf(plan.java));
    // An empty class path is reported; the start goes on, and the missing
    // main class is reported next.
    if (plan.java.classPathMissing) showError(messageOwner(), loadText(IDS_NO_CLASS_PATH));

    vm_ = std::make_shared<JavaVmOwner>(entryPoints);
    if (isConsoleProgram()) forwardConsoleEventsTo(vm_);
    if (instanceServer_) instanceServer_->serveWith(vm_, keepsMainThreadAlive(plan.runtime));
    const std::uint32_t stackSize =
        plan.java.threadStackSize != 0 ? plan.java.threadStackSize : vm_->defaultThreadStackSize();

    LauncherJavaHost host(splash_, singleInstance_);
    JavaVmOwner& vm = *vm_;
    const int result = runOnJavaMainThread(stackSize, [&vm, &mainPlan, &host] {
        return runJavaMain(vm, mainPlan, host);
    });
    if (result == kJavaMainReturned) return kExitSuccess;
    if (result == kJavaMainThrew) return kExitUncaughtException;
    nativeSplash_.close();
    return kExitFailure;
}

void Launcher::showSplash(const SplashPlan& splash, const std::wstring& jvmPath) {
    if (splash.image.empty()) return;
    if (nativeSplash_.start(jvmPath, splash.image, splash.preferNative)) return;
    splash_.show(splash.image, splash.shadow);
}
