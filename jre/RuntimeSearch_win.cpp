#include "jre/JvmLibrary.h"
#include "jre/RegistryScan.h"
#include "jre/RegistryView_win.h"
#include "launcher/Launcher_win.h"
#include "util/FileSystem_win.h"
#include "util/PeImageProbe_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

namespace {

bool fileAt(const std::wstring& path) {
    return fileExists(path);
}

}  // namespace

bool Launcher::findRuntime() {
    const FileProbe exists = fileAt;

    // A runtime folder stored earlier (shipped or picked by the user) is used
    // without any version check.
    if (!settings.jrePath.empty()) {
        auto library =
            findJvmLibrary(withTrailingBackslash(settings.jrePath), settings.jvmType, exists);
        if (library) {
            jvmPath = library->path;
            checkRuntimeBitness();
            return true;
        }
    }

    // A runtime shipped beside the executable, or in its jre\ folder.
    std::wstring folder;
    if (moduleFolder(folder, messageOwner)) {
        std::wstring home;
        if (hasJavaLibrary(folder, exists))
            home = folder;
        else if (hasJavaLibrary(folder + L"jre\\", exists))
            home = folder + L"jre\\";
        if (!home.empty()) {
            if (auto library = findJvmLibrary(home, settings.jvmType, exists)) {
                jvmPath = library->path;
                return true;
            }
        }
    }

    // The registered runtimes: this process's own view first, then the 64-bit
    // view, whose runtimes only a configured pair product can start.
    std::wstring home;
    if (scanRegistry(false, home) || scanRegistry(true, home)) {
        if (auto library = findJvmLibrary(home, settings.jvmType, exists)) {
            jvmPath = library->path;
            return true;
        }
    }

    // Asking the user for a runtime folder is not part of this build yet: the
    // start ends here.
    return false;
}

void Launcher::checkRuntimeBitness() {
    handOverToPair = false;
    if (settings.pairProduct.empty()) return;
    handOverToPair = isForeignArchitectureImage(jvmPath);
}

bool Launcher::scanRegistry(bool view64, std::wstring& home) {
    if (view64 && settings.pairProduct.empty()) return false;
    RuntimeRegistryView registry(view64);
    auto selected = selectRegisteredRuntime(registry, settings, fileAt);
    if (!selected) return false;
    home = *selected;
    if (view64) handOverToPair = true;
    return true;
}
