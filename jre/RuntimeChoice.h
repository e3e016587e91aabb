#pragma once

#include "jre/JvmLibrary.h"
#include "jre/RegistryScan.h"

#include <functional>
#include <optional>
#include <string>

// Where the chosen runtime came from.
enum class RuntimeSource {
    storedFolder,      // "JRE Path", from the configuration or picked by the user
    besideExecutable,  // the executable's folder or its jre\ folder
    registry,          // registered in this process's own registry view
    registry64,        // registered in the 64-bit view; only a pair product can start it
    user,              // picked in the runtime-not-found dialog
};

// The source as the trace names it ("the stored folder (JRE Path)").
const wchar_t* runtimeSourceName(RuntimeSource source);

// What the runtime search asks of the machine: small probes, each silent.
struct RuntimeProbes {
    // Whether a file exists at exactly this path.
    FileProbe exists;
    // Whether the DLL at a path is built for another processor than this
    // process's own (false for anything unreadable).
    ForeignImageProbe isForeignImage;
    // The registry scan of one view (false: this process's own, true: the
    // 64-bit one), passing over runtimes whose VM library passOver (when
    // set) calls foreign; nothing when no registered runtime fits.
    std::function<std::optional<RegisteredRuntime>(bool view64, const ForeignImageProbe& passOver)> registry;
};

// What the configuration asks of the search.
struct RuntimeRequest {
    std::wstring jrePath;             // stored runtime folder; empty: none
    std::wstring executableFolder;    // ends in "\"; empty when unknown
    int jvmType = 0;                  // 0 any VM, 1 server VM only, 2 server VM first
    bool pairProductConfigured = false;
};

// The runtime to start and how.
struct RuntimeChoice {
    std::wstring jvmPath;
    RuntimeSource source = RuntimeSource::storedFolder;
    VendorFamily vendor = VendorFamily::javaSoft;  // known for registered runtimes only
    bool ibmRoot = false;  // registered by IBM's own installer (not an OpenJ9 build of today)
    // The runtime cannot run in this process: the pair product starts it.
    bool handOverToPair = false;
};

// Tries the stored folder, the runtime beside the executable, then this
// process's registry view and, with a pair product, the 64-bit view; the
// first that yields a VM library wins. In this process's own view a runtime
// built for the other processor is passed over: per-user keys are the same
// in both views, and with a pair product such a runtime is found again in
// the 64-bit view. Nothing when none fits (the user is asked next).
std::optional<RuntimeChoice> chooseRuntime(const RuntimeRequest& request, const RuntimeProbes& probes);

// The one rule of bitness: with a pair product configured, a runtime from the
// 64-bit registry view, or a VM library built for another processor than this
// process's own, is handed over to the pair product; without one, nothing is
// (the load then fails and says why).
bool needsPairProduct(RuntimeSource source, bool pairProductConfigured, bool foreignImage);

// Fills in handOverToPair for a choice by that rule.
void applyBitnessRule(RuntimeChoice& choice, bool pairProductConfigured, const RuntimeProbes& probes);

// Whether the Java main thread must stay with the VM after main returns: the
// runtimes registered by IBM's own installer end the VM themselves.
bool keepsMainThreadAlive(const RuntimeChoice& choice);
