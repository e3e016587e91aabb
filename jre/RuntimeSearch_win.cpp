#include "jre/JvmLibrary.h"
#include "jre/RegistryScan.h"
#include "launcher/Launcher_win.h"
#include "util/FileSystem_win.h"
#include "util/PeImageProbe_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

namespace {

bool fileAt(const std::wstring& path) {
    return fileExists(path);
}

// One view of HKEY_LOCAL_MACHINE as the registry scan sees it.
class RegistryView : public RuntimeRegistry {
public:
    explicit RegistryView(bool view64) : access_(KEY_READ | (view64 ? KEY_WOW64_64KEY : 0)) {}

    std::vector<std::wstring> subkeyNames(const std::wstring& key) override {
        std::vector<std::wstring> names;
        UniqueRegKey root;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access_, root.put()) != ERROR_SUCCESS)
            return names;
        // Key names are at most 255 characters.
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(root.get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        return names;
    }

    std::wstring javaHome(const std::wstring& key) override {
        UniqueRegKey version;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access_, version.put()) !=
            ERROR_SUCCESS)
            return std::wstring();
        // The value is read with its own size and terminated here: a value
        // stored without a final NUL, of another type or of any length never
        // makes us read past the buffer or take garbage for a path.
        std::wstring text;
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD bytes = 0;
            LONG status = RegQueryValueExW(version.get(), L"JavaHome", nullptr, &type, nullptr, &bytes);
            if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0)
                return std::wstring();
            text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
            DWORD capacity = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            status = RegQueryValueExW(version.get(), L"JavaHome", nullptr, &type,
                                      reinterpret_cast<BYTE*>(&text[0]), &capacity);
            if (status == ERROR_MORE_DATA) continue;  // grew in between: ask again
            if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
                return std::wstring();
            text.resize(capacity / sizeof(wchar_t));
            size_t end = text.find(L'\0');
            if (end != std::wstring::npos) text.resize(end);
            return text;
        }
        return std::wstring();
    }

private:
    REGSAM access_;
};

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
    RegistryView registry(view64);
    auto selected = selectRegisteredRuntime(registry, settings, fileAt);
    if (!selected) return false;
    home = *selected;
    if (view64) handOverToPair = true;
    return true;
}
