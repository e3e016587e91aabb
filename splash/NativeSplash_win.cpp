#include "splash/NativeSplash_win.h"

#include "util/AnsiText_win.h"
#include "util/FileSystem_win.h"
#include "util/Paths.h"
#include "util/ProcAddress_win.h"

#include <windows.h>

bool NativeSplash::start(const std::wstring& jvmPath, const std::wstring& imagePath, bool preferred) {
    // ...\bin\client\jvm.dll and ...\bin\server\jvm.dll both lead to ...\bin.
    const std::wstring library = findFileInFolder(stripPathLevels(jvmPath, 2), L"splashscreen.dll");
    if (!preferred || library.empty()) return false;
    // The library takes the name in the code page: a name that does not fit
    // goes by its short form, and without one the launcher's own window
    // shows the picture.
    std::wstring name = imagePath;
    if (!fitsAnsi(name)) name = shortPathOf(name);
    if (name.empty() || !fitsAnsi(name)) return false;
    // Not owned: the runtime's splash may outlive any scope here.
    HMODULE module = LoadLibraryW(library.c_str());
    if (module == nullptr) return false;
    using Init = void(__cdecl*)();
    using LoadFile = int(__cdecl*)(const char*);
    using SetFileJarName = void(__cdecl*)(const char*, const char*);
    const auto init = procAddress<Init>(module, "SplashInit");
    const auto loadFile = procAddress<LoadFile>(module, "SplashLoadFile");
    const auto setFileJarName = procAddress<SetFileJarName>(module, "SplashSetFileJarName");
    const auto closeFunction = procAddress<CloseFunction>(module, "SplashClose");
    if (closeFunction != close_) {
        close();
        close_ = closeFunction;
    }
    if (init == nullptr || loadFile == nullptr || setFileJarName == nullptr) return false;
    const std::string path = toAnsi(name);
    init();
    loadFile(path.c_str());
    setFileJarName(path.c_str(), "");
    return true;
}

void NativeSplash::close() {
    CloseFunction closeFunction = close_;
    close_ = nullptr;
    if (closeFunction != nullptr) closeFunction();
}
