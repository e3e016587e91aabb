#pragma once

#include <string>

// The splash screen library a Java runtime ships beside its VM
// (splashscreen.dll in its bin folder), used instead of the launcher's own
// window when the configuration prefers it.
class NativeSplash {
public:
    NativeSplash() = default;
    NativeSplash(const NativeSplash&) = delete;
    NativeSplash& operator=(const NativeSplash&) = delete;

    // Hands imagePath (as configured) to the library of the runtime whose VM
    // is jvmPath: SplashInit, SplashLoadFile, SplashSetFileJarName with an
    // empty jar name. False, and nothing shown, when the native splash is not
    // preferred, the library is missing or cannot be loaded, or lacks one of
    // those three functions, or the picture's name does not fit the code page
    // and has no short form that does. The library stays loaded for good.
    bool start(const std::wstring& jvmPath, const std::wstring& imagePath, bool preferred);

    // Calls the library's SplashClose once, if it had one; later calls do
    // nothing.
    void close();

private:
    using CloseFunction = void(__cdecl*)();
    CloseFunction close_ = nullptr;
};
