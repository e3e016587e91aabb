// The yardstick for the launcher's start: a GUI program that does nothing.
// With "user32" it first touches user32 as the launcher's entry does, which
// under Wine also brings up the graphics driver.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    if (std::wcsstr(commandLine, L"user32") != nullptr) DefWindowProcW(nullptr, WM_NULL, 0, 0);
    return 0;
}
