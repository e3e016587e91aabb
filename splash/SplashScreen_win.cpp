#include "splash/SplashScreen_win.h"

void SplashScreen::show(const std::wstring& imagePath, bool shadow) {
    if (thread_) return;
    imagePath_ = imagePath;
    shadow_ = shadow;
    shown_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!shown_) return;
    thread_.reset(CreateThread(nullptr, 0, threadMain, this, 0, &threadId_));
}

HWND SplashScreen::window() const {
    if (!thread_) return nullptr;
    // Bounded: a picture that takes long to decode must not hold up an
    // error report for good.
    const HANDLE events[] = {shown_.get(), thread_.get()};
    WaitForMultipleObjects(2, events, FALSE, 5000);
    return window_.load();
}

void SplashScreen::close() {
    if (!thread_) return;
    // A thread that has not created its message queue yet loses the first
    // WM_QUIT, so it is posted again until the thread has ended.
    do {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    } while (WaitForSingleObject(thread_.get(), 10) == WAIT_TIMEOUT);
    thread_.reset();
    shown_.reset();
}

DWORD WINAPI SplashScreen::threadMain(void* parameter) noexcept {
    auto& self = *static_cast<SplashScreen*>(parameter);
    HWND window = self.splashWindow_.create(self.imagePath_, self.shadow_);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    self.window_.store(window);
    SetEvent(self.shown_.get());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // No box may take a window that is about to go as its owner.
    self.window_.store(nullptr);
    self.splashWindow_.destroy();
    return 0;
}
