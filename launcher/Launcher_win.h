#pragma once

#include "instance/SingleInstance_win.h"
#include "jre/RuntimeChoice.h"
#include "jvm/JavaVm_jni.h"
#include "launcher/LauncherSettings.h"
#include "splash/NativeSplash_win.h"
#include "splash/SplashScreen_win.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// The one application object of the process: the settings and the state of
// one start. Constructed by the entry point, initialised, run, and destroyed
// (the teardown, which destroys the VM) before the process ends.
class JavaInstanceServer;

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

private:
    bool loadSettings();
    bool checkSingleInstance();
    void moveToExecutableFolder();
    bool findRuntime();
    // Writes the runtime folder the user picked where the next start reads it.
    void storeRuntimeFolder(const std::wstring& folder);
    int runPairProduct();
    bool isLaterStart() const { return singleInstance_.role() == SingleInstance::Role::later; }
    int startJava();
    // Shows the configured splash picture; false would end the run with 0.
    bool showSplash();
    // The owner of the launcher's message boxes: the splash window while it
    // shows, so that no box is hidden behind it.
    HWND messageOwner() const { return splash_.window(); }

    std::wstring executablePath_;
    std::wstring configFile_;
    LauncherSettings settings_;
    std::vector<std::wstring> arguments_;
    RuntimeChoice runtime_;
    SingleInstance singleInstance_;
    std::shared_ptr<JavaInstanceServer> instanceServer_;
    // Shared with the threads that serve later starts.
    std::shared_ptr<JavaVmOwner> vm_;
    NativeSplash nativeSplash_;
    SplashScreen splash_;
};
