#pragma once

#include "jre/RuntimeChoice.h"
#include "jvm/JavaStartPlan.h"
#include "launcher/LauncherSettings.h"

#include <functional>
#include <string>
#include <vector>

// This start's part in single-instance mode.
enum class InstanceRole {
    off,    // an ordinary start
    first,  // runs the application and serves later starts
    later,  // hands its arguments to the first instance
};

// What a start does.
enum class StartRoute {
    refuse,      // a setting the start cannot follow: reported, exit code -1
    handOver,    // the pair product starts the chosen runtime
    laterStart,  // the first instance takes the arguments
    askUser,     // no runtime found: the user is asked for one
    startJava,   // the VM runs in this process
};

// Why a start is refused.
enum class StartRefusal {
    none,
    pairProductIsThisExecutable,  // "Pair Product" names the launcher itself
    pairProductHandsBack,         // started by a hand-over, this start would hand over again
};

// The facts of the machine and the process that the plan is made from. The
// probes are asked only as far as the plan needs them.
struct StartFacts {
    std::wstring executablePath;  // the launcher's own full path
    std::wstring currentFolder;   // the working folder the start was given
    std::vector<std::wstring> arguments;
    InstanceRole instanceRole = InstanceRole::off;
    // The executable whose hand-over started this process; empty for a start
    // of the user's.
    std::wstring handedOverBy;
    RuntimeProbes probes;
    // Whether two paths name one file (by its identity, not its spelling).
    std::function<bool(const std::wstring& a, const std::wstring& b)> sameFile;
    // The VM library the user picked in the runtime-not-found dialog; empty
    // until then.
    std::wstring pickedJvmPath;
    MemoryFigures memory;
    EnvironmentLookup environment;
    DirectoryLister list;
};

struct SplashPlan {
    std::wstring image;  // empty: no splash
    bool shadow = false;
    bool preferNative = false;  // the runtime's splash library first
};

struct PairPlan {
    std::wstring program;  // the pair product
    bool waitForExit = false;  // its exit code becomes this start's
};

// The whole start, decided before anything is done.
struct StartPlan {
    StartRoute route = StartRoute::startJava;
    StartRefusal refusal = StartRefusal::none;
    // The working folder to make current before the runtime is used; empty:
    // the folder stays as it was given.
    std::wstring workingFolder;
    RuntimeChoice runtime;  // handOver and startJava
    PairPlan pair;          // handOver and refusals of the pair product
    SplashPlan splash;      // startJava
    JavaStartPlan java;     // startJava
};

// Decides the start: a later start forwards; otherwise the runtime is chosen
// (the user's pick first when there is one) and either handed to the pair
// product or planned as a Java start in this process; a pair product that is
// this executable, or a hand-over that would go on, is refused.
StartPlan planStart(const LauncherSettings& settings, const StartFacts& facts);

// The plan as the lines of the trace.
std::vector<std::wstring> describeStartPlan(const StartPlan& plan);
