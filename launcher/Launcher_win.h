#pragma once

#include "jvm/JniTypes.h"
#include "launcher/LauncherSettings.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The one application object of the process: the settings and the state of
// one start. Constructed by the entry point, initialised, run, and destroyed
// (the teardown) before the process ends.
class Launcher {
public:
    Launcher() = default;
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Reads the command line and the configuration and resolves the runtime.
    // False: the start ends with exit code -1; the user has been told why.
    bool initialize();

    // Starts the application (or hands the start over) and returns the
    // process exit code. Called only after initialize returned true.
    int run();

    // Fills settings from the configuration files. False when they cannot be
    // read or name no main class (reported here).
    bool loadSettings();

    // The configuration file beside the executable.
    bool getConfigFilePath(std::wstring& path);
    // The per-user configuration file; empty when the executable's path is
    // unknown. With create, the folders leading to it are created.
    std::wstring getUserConfigFilePath(bool create);
    // The pair product's configuration file.
    bool getPairConfigFilePath(std::wstring& path);
    // The pair product's per-user configuration file (folders created).
    std::wstring getPairUserConfigFilePath();

    LauncherSettings settings;
    std::vector<std::wstring> arguments;
    std::wstring jvmPath;
    bool handOverToPair = false;
    HWND messageOwner = nullptr;
    bool singleInstanceEnabled = false;
    bool firstInstance = false;

    // The options handed to the VM, in the thread's ANSI code page.
    using VmOptionList = std::vector<std::string>;
    VmOptionList vmOptions;

    CreateJavaVmFunction createJavaVMEntry = nullptr;
    GetDefaultJavaVmInitArgsFunction getDefaultInitArgsEntry = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoaderEntry = nullptr;

    // Publishes the chosen runtime to the process environment (LQ_JVM_PATH,
    // LQ_JVM_HOME, Path) and starts the option list with the library path.
    void prepareRuntimeEnvironment();
    // Loads jvm.dll and finds its entry points; reports and returns false
    // when it cannot.
    bool loadJvmLibrary();
    // Appends the class path, the configured VM parameters and the Cmd
    // arguments, and reads the stream redirection. False (reported) when
    // the class path is empty.
    bool assembleVmOptions();

    // The runtime's default Java stack size; 0 when it names none.
    std::uint32_t defaultThreadStackSize();
    // Runs the Java main thread and waits for it: 0 when main ran, 1 when
    // the VM or the main class failed (reported).
    int startJavaMainThread();
    // The Java main thread's work: create the VM and run the main class.
    int javaMainThread();
    // Creates the VM from vmOptions and redirects its standard streams.
    bool createJavaVm();
    // Points System.out and System.err at the configured files.
    void applyStreamRedirection();

    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;

    // Stack size of the Java main thread in bytes; 0: the runtime's default.
    std::uint32_t threadStackSize = 0;
    std::wstring outputFile;
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;

private:
    bool checkSingleInstance();
    void moveToExecutableFolder();
    // Resolves jvmPath (and handOverToPair) from the stored runtime folder,
    // a runtime beside the executable or the registered runtimes.
    bool findRuntime();
    // Hands the start to the pair product when the chosen VM is built for
    // another processor and a pair product is configured.
    void checkRuntimeBitness();
    // The home of the best registered runtime in one registry view.
    bool scanRegistry(bool view64, std::wstring& home);
    int runPairProduct();
    int waitForFirstInstance();
    int startJava();

    // Per-user configuration file of the executable at executablePath.
    std::wstring buildUserConfigFilePath(const std::wstring& executablePath, bool create);
};
