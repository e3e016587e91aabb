#include "splash/SplashScreen_win.h"

struct SplashScreen::State {
    std::wstring imagePath;
    bool shadow = false;
    SplashWindow splashWindow;
    UniqueHandle decided;  // set once the thread has shown its window or given it up
    // Guards the decision to show: either the window is to be shown, or the
    // splash was given up first, never both.
    SRWLOCK lock = SRWLOCK_INIT;
    bool givenUp = false;
    HWND shown = nullptr;
};

namespace {

class StateLock {
public:
    explicit StateLock(SplashScreen::State& state) : lock_(state.lock) { AcquireSRWLockExclusive(&lock_); }
    ~StateLock() { ReleaseSRWLockExclusive(&lock_); }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

void SplashScreen::show(const std::wstring& imagePath, bool shadow) {
    if (thread_) return;
    auto state = std::make_shared<State>();
    state->imagePath = imagePath;
    state->shadow = shadow;
    state->decided.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!state->decided) return;
    // The thread's own reference, released when it ends.
    auto* threadState = new std::shared_ptr<State>(state);
    thread_.reset(CreateThread(nullptr, 0, threadMain, threadState, 0, &threadId_));
    if (!thread_) {
        delete threadState;
        return;
    }
    state_ = std::move(state);
}

HWND SplashScreen::window() const {
    if (!thread_) return nullptr;
    // Bounded: a picture that takes long to render must not hold up an
    // error report; the box comes within a second.
    const HANDLE events[] = {state_->decided.get(), thread_.get()};
    WaitForMultipleObjects(2, events, FALSE, 1000);
    StateLock lock(*state_);
    if (state_->shown == nullptr) state_->givenUp = true;
    return state_->shown;
}

void SplashScreen::close() {
    if (!thread_) return;
    bool shown;
    {
        StateLock lock(*state_);
        state_->givenUp = true;
        shown = state_->shown != nullptr;
    }
    if (shown) {
        // A thread that has not created its message queue yet loses the
        // first WM_QUIT, so it is posted again until the thread has ended.
        do {
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        } while (WaitForSingleObject(thread_.get(), 10) == WAIT_TIMEOUT);
    }
    thread_.reset();
    state_.reset();
}

DWORD WINAPI SplashScreen::threadMain(void* parameter) noexcept {
    std::shared_ptr<State> owned = std::move(*static_cast<std::shared_ptr<State>*>(parameter));
    delete static_cast<std::shared_ptr<State>*>(parameter);
    State& state = *owned;
    HWND window = state.splashWindow.create(state.imagePath, state.shadow);
    bool show;
    {
        StateLock lock(state);
        show = window != nullptr && !state.givenUp;
        if (show) state.shown = window;
    }
    SetEvent(state.decided.get());
    // Shown outside the lock: showing may send messages to other threads.
    if (show) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message;
    while (show && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    {
        // No box may take a window that is about to go as its owner.
        StateLock lock(state);
        state.shown = nullptr;
    }
    state.splashWindow.destroy();
    return 0;
}
