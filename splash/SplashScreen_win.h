#pragma once

#include "splash/SplashWindow_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <memory>
#include <string>

// The launcher's own splash: a thread of its own with a message loop, so
// that the picture stays painted while the VM loads and main runs. The
// thread shares its state with this object, so that it can finish a slow
// picture on its own after the splash was closed.
class SplashScreen {
public:
    SplashScreen() = default;
    ~SplashScreen() { close(); }
    SplashScreen(const SplashScreen&) = delete;
    SplashScreen& operator=(const SplashScreen&) = delete;

    // Starts the splash thread, which renders the picture and then creates
    // and shows the window, unless the splash was given up meanwhile. A
    // thread that cannot start is not reported: there is no splash.
    void show(const std::wstring& imagePath, bool shadow);

    // The splash window as an owner for message boxes: waits up to a second
    // for the thread to show it. A splash still not shown then never shows, so that
    // it cannot cover the box. Null without a splash, once closed, or when
    // the window was not shown.
    HWND window() const;

    // Ends the splash: a shown window is destroyed before this returns; a
    // picture still being rendered is left to its thread, which ends without
    // showing it. Nothing without a splash. Safe to call again.
    void close();

    struct State;

private:
    static DWORD WINAPI threadMain(void* parameter) noexcept;

    std::shared_ptr<State> state_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
};
