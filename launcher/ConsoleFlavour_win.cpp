#include "launcher/ConsoleFlavour_win.h"

#include "jvm/JavaVm_jni.h"
#include "launcher/ConsoleMessage.h"

#include <windows.h>

#include <atomic>

namespace {

// Kept for the life of the process: a console event may arrive on its own
// thread at any moment, also while the launcher ends.
std::shared_ptr<JavaVmOwner>* forwardedVm = nullptr;
std::atomic<JavaVmOwner*> eventTarget{nullptr};

BOOL WINAPI endApplicationOnEvent(DWORD event) noexcept {
    static_assert(CTRL_C_EVENT == 0 && CTRL_BREAK_EVENT == 1 && CTRL_CLOSE_EVENT == 2, "event numbers");
    const int status = consoleEventExitStatus(event);
    if (status == 0) return FALSE;
    JavaVmOwner* vm = eventTarget.load();
    return vm != nullptr && vm->exitApplication(status) ? TRUE : FALSE;
}

BOOL WINAPI stayForChild(DWORD event) noexcept {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ? TRUE : FALSE;
}

}  // namespace

bool isConsoleProgram() {
    // Read from the image each time: a guarded static would bring a threads
    // library into the executable, and the header is in memory anyway.
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

bool writeToStandardError(const std::wstring& text) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(error, &mode))
        return WriteConsoleW(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
    const std::string bytes = utf8Of(text);
    return WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE;
}

void forwardConsoleEventsTo(const std::shared_ptr<JavaVmOwner>& vm) {
    if (forwardedVm == nullptr) {
        forwardedVm = new std::shared_ptr<JavaVmOwner>(vm);
        SetConsoleCtrlHandler(endApplicationOnEvent, TRUE);
    } else {
        *forwardedVm = vm;
    }
    eventTarget = vm.get();
}

void leaveConsoleEventsToChild() {
    // A handler, not SetConsoleCtrlHandler(nullptr, TRUE): that setting
    // would be inherited and the child would ignore Ctrl+C too.
    SetConsoleCtrlHandler(stayForChild, TRUE);
}
