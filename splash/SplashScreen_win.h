#pragma once

#include "splash/SplashWindow_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <atomic>
#include <string>

// The launcher's own splash: a thread of its own with a message loop, so
// that the picture stays painted while the VM loads and main runs.
class SplashScreen {
public:
    SplashScreen() = default;
    ~SplashScreen() { close(); }
    SplashScreen(const SplashScreen&) = delete;
    SplashScreen& operator=(const SplashScreen&) = delete;

    // Starts the splash thread, which creates, shows and paints the window.
    // A thread that cannot start is not reported: there is no splash.
    void show(const std::wstring& imagePath, bool shadow);

    // The splash window as an owner for message boxes: waits until the
    // thread has created and shown it, so that a box is never hidden behind
    // a splash that appears after it. Null without a splash, once closed, or
    // when the window could not be created.
    HWND window() const;

    // Ends the splash thread, which destroys the window; nothing without a
    // splash. Safe to call again.
    void close();

private:
    static DWORD WINAPI threadMain(void* parameter) noexcept;

    std::wstring imagePath_;
    bool shadow_ = false;
    SplashWindow splashWindow_;
    std::atomic<HWND> window_{nullptr};
    UniqueHandle shown_;
    UniqueHandle thread_;
    DWORD threadId_ = 0;
};
