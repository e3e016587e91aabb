#pragma once

#include "jvm/MemorySize.h"
#include "jvm/VmOptions.h"
#include "util/EnvironmentText.h"
#include "util/Paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the configuration asks of the Java start: the values of its keys as
// the settings reader found them, nothing expanded yet.
struct JavaStartSettings {
    std::wstring mainClass;  // "/" between packages
    std::wstring libraryPath;
    std::wstring systemPath;
    std::wstring classPath;  // the "Class Path" value, ";"-separated
    bool embeddedJar = false;
    std::wstring vmParameters;
    std::wstring outputFile;
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    std::wstring cmd;
    bool failureCheck = false;
    bool isService = false;
};

// The few facts of the machine and the process that the plan needs.
struct JavaStartFacts {
    std::wstring jvmPath;              // the chosen VM library
    bool keepMainThreadAlive = false;  // the runtime ends the VM itself (IBM)
    std::wstring executablePath;       // the launcher's own full path
    std::wstring workingFolder;        // the current folder when the start is planned
    MemoryFigures memory;              // as this process sees them
    std::vector<std::wstring> arguments;  // from the command line
    EnvironmentLookup environment;
    DirectoryLister list;
};

// Where System.out and System.err go; empty names leave a stream alone.
struct StreamTargets {
    std::wstring outputFile;
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    // Which files the two names open, when both are set and the files could
    // be opened right before the redirection; found on the machine, not planned.
    std::optional<FileIdentity> outputIdentity;
    std::optional<FileIdentity> errorIdentity;
};

// What the Java main thread runs.
struct MainClassPlan {
    std::wstring mainClass;               // "/" between packages
    std::vector<std::wstring> arguments;  // for main's String[]
    bool failureCheck = false;            // show an exception that escapes main
    bool keepThreadAlive = false;         // never detach after main (IBM runtimes)
};

struct EnvironmentChange {
    std::wstring name;
    std::wstring value;
};

// The whole Java start, decided before anything is done.
struct JavaStartPlan {
    // Set in this order before jvm.dll is loaded.
    std::vector<EnvironmentChange> environment;
    // The class path came out empty: the user is told, and the start goes on
    // with what came before it (no parameters, streams or Cmd arguments).
    bool classPathMissing = false;
    // Every option for JNI_CreateJavaVM, in order, before the two hooks.
    std::vector<std::wstring> options;
    // Stack of the Java main thread in bytes; 0: the runtime's default.
    std::uint32_t threadStackSize = 0;
    StreamTargets streams;
    MainClassPlan main;
    // A service's VM ends with its main method.
    bool destroyAfterMain = false;
};

// Turns the settings and the facts into the plan. Each configured text is
// expanded once, against facts.environment; file names found on disk, the
// launcher's folder and the current Path are taken as they are. Relative
// output files are made absolute against the working folder.
JavaStartPlan planJavaStart(const JavaStartSettings& settings, const JavaStartFacts& facts);

// Whether both streams go to one file, which then must be opened once: by
// the files' identities when both are known (one file may have several
// names), else by the names' text.
bool sharesOneFile(const StreamTargets& targets);

// The Path the plan gives the process; empty when it sets none.
std::wstring processPathOf(const JavaStartPlan& plan);
