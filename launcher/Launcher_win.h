#pragma once

#include "instance/SingleInstance_win.h"
#include "jvm/JavaVm_jni.h"
#include "launcher/LauncherSettings.h"
#include "launcher/StartPlan.h"
#include "splash/NativeSplash_win.h"
#include "splash/SplashScreen_win.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class JavaInstanceServer;

// The one application object of the process: one start, from the command
// line to the teardown. The entry point runs it and then tears it down;
// destroying it tears down what is left.
class Launcher {
public:
    Launcher() = default;
    ~Launcher() { teardown(); }
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The whole start, in its order: the command line, the settings (read
    // once), the single-instance role, the plan, then the plan's route; a
    // later start that was not served takes its role and plans once more.
    // Returns the process exit code; every failure has been reported.
    int run();

    // Ends what the start left running, in this order: the splash window,
    // the VM (DestroyJavaVM waits for the application's last non-daemon
    // thread, so a windowed application keeps the process until it closes),
    // the single-instance objects (later starts are served while the
    // application lives), the runtime's splash library. Once only.
    void teardown();

private:
    bool loadSettings();
    bool takeInstanceRole();
    // The plan's route, from the working folder on: the refusal, the
    // hand-over or the Java start (a later start's wait is run's own).
    int carryOut(StartPlan& plan, StartFacts& facts);
    InstanceRole instanceRole() const;
    // The runtime-not-found dialog; the folder picked is stored and the
    // start planned again with it. False when the user left without one.
    bool askForRuntime(StartPlan& plan, StartFacts& facts);
    void storePickedRuntime(const std::wstring& folder);
    void reportRefusal(const StartPlan& plan);
    int handOver(const PairPlan& pair);
    int startJava(const StartPlan& plan);
    void showSplash(const SplashPlan& splash, const std::wstring& jvmPath);
    // The owner of the launcher's message boxes: the splash window while it
    // shows, so that no box is hidden behind it.
    HWND messageOwner() const { return splash_.window(); }

    std::wstring executablePath_;
    std::wstring configFile_;
    std::wstring appData_;
    std::vector<std::wstring> arguments_;
    LauncherSettings settings_;
    SingleInstance singleInstance_;
    std::shared_ptr<JavaInstanceServer> instanceServer_;
    // Shared with the threads that serve later starts.
    std::shared_ptr<JavaVmOwner> vm_;
    NativeSplash nativeSplash_;
    SplashScreen splash_;
    bool tornDown_ = false;
};
