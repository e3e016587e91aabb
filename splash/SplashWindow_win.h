#pragma once

#include "util/UniqueResource_win.h"

#include <windows.h>

#include <string>

// The launcher's own splash window: a borderless popup of the class
// "SplashScreenWindow" showing a picture rendered once into a bitmap.
// Created, painted and destroyed on the splash thread.
class SplashWindow {
public:
    SplashWindow() = default;
    ~SplashWindow();
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Loads the picture at imagePath (as configured; relative to the current
    // directory), renders it for the primary screen and creates the window
    // centred there, hidden. A picture that cannot be read gives a 0 by 0
    // window. Null when the class or the window cannot be created.
    HWND create(const std::wstring& imagePath, bool shadow);

    // Destroys the window, if there is one, and deletes the bitmap.
    void destroy();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void paint(HWND window) const;

    HWND window_ = nullptr;
    UniqueGdiObject bitmap_;
    int width_ = 0;
    int height_ = 0;
};
