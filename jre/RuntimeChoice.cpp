#include "jre/RuntimeChoice.h"

#include "util/Trace.h"

bool needsPairProduct(RuntimeSource source, bool pairProductConfigured, bool foreignImage) {
    if (!pairProductConfigured) return false;
    return source == RuntimeSource::registry64 || foreignImage;
}

void applyBitnessRule(RuntimeChoice& choice, bool pairProductConfigured, const RuntimeProbes& probes) {
    // The 64-bit registry view is read only for a pair product, and what it
    // lists is by definition not for this process: no need to open the file.
    const bool foreign = pairProductConfigured && choice.source != RuntimeSource::registry64 &&
                         probes.isForeignImage && probes.isForeignImage(choice.jvmPath);
    choice.handOverToPair = needsPairProduct(choice.source, pairProductConfigured, foreign);
}

bool keepsMainThreadAlive(const RuntimeChoice& choice) {
    const bool registered =
        choice.source == RuntimeSource::registry || choice.source == RuntimeSource::registry64;
    return registered && choice.ibmRoot;
}

namespace {

std::optional<RuntimeChoice> fromHome(const std::wstring& home, RuntimeSource source,
                                      const RuntimeRequest& request, const RuntimeProbes& probes) {
    auto library = findJvmLibrary(home, request.jvmType, probes.exists);
    if (!library) {
        if (tracing())
            trace(L"runtime: " + std::wstring(runtimeSourceName(source)) + L" " + home + L": no VM library");
        return std::nullopt;
    }
    RuntimeChoice choice;
    choice.jvmPath = library->path;
    choice.source = source;
    applyBitnessRule(choice, request.pairProductConfigured, probes);
    // A stored folder of another processor, with no pair product to start
    // it, would fail every start the same way: the user is asked instead.
    if (source == RuntimeSource::storedFolder && !request.pairProductConfigured && probes.isForeignImage &&
        probes.isForeignImage(choice.jvmPath)) {
        if (tracing()) trace(L"runtime: " + std::wstring(runtimeSourceName(source)) + L" " + home +
                             L": built for another processor, passed over");
        return std::nullopt;
    }
    return choice;
}

}  // namespace

std::optional<RuntimeChoice> chooseRuntime(const RuntimeRequest& request, const RuntimeProbes& probes) {
    // A stored folder is used whatever its version.
    if (!request.jrePath.empty()) {
        if (auto choice = fromHome(withTrailingBackslash(request.jrePath), RuntimeSource::storedFolder,
                                   request, probes))
            return choice;
    }

    // A runtime shipped beside the executable, or in its jre\ folder.
    if (!request.executableFolder.empty()) {
        std::wstring home;
        if (hasJavaLibrary(request.executableFolder, probes.exists))
            home = request.executableFolder;
        else if (hasJavaLibrary(request.executableFolder + L"jre\\", probes.exists))
            home = request.executableFolder + L"jre\\";
        if (!home.empty()) {
            if (auto choice = fromHome(home, RuntimeSource::besideExecutable, request, probes)) return choice;
        }
    }

    // The registered runtimes: this process's own view first, then the
    // 64-bit view, whose runtimes only a pair product can start. What the own
    // view lists under HKEY_CURRENT_USER may be built for either processor,
    // and this process can load only its own.
    if (!probes.registry) return std::nullopt;
    std::optional<RegisteredRuntime> registered = probes.registry(false, probes.isForeignImage);
    RuntimeSource source = RuntimeSource::registry;
    if (!registered && tracing()) trace(L"runtime: nothing fits in this process's registry view");
    if (!registered && request.pairProductConfigured) {
        registered = probes.registry(true, nullptr);
        source = RuntimeSource::registry64;
    }
    if (!registered) return std::nullopt;
    // The scan may have validated the home with a weaker VM type; the
    // configured one decides which library is loaded.
    auto choice = fromHome(registered->home, source, request, probes);
    if (choice) {
        choice->vendor = registered->vendor;
        choice->ibmRoot = registered->ibmRoot;
    }
    return choice;
}

const wchar_t* runtimeSourceName(RuntimeSource source) {
    switch (source) {
    case RuntimeSource::storedFolder: return L"the stored folder (JRE Path)";
    case RuntimeSource::besideExecutable: return L"the runtime beside the executable";
    case RuntimeSource::registry: return L"the registry";
    case RuntimeSource::registry64: return L"the 64-bit registry";
    case RuntimeSource::user: return L"the user's choice";
    }
    return L"";
}
