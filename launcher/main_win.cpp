#include "launcher/Launcher_win.h"

#include "launcher/ExitCodes.h"
#include "util/DllSearch_win.h"
#include "util/Trace.h"
#include "util/Trace_win.h"

#include <windows.h>

#include <cstdlib>

#if defined(__GLIBCXX__)
// GCC's default terminate handler prints the exception's demangled type and
// brings the whole C++ demangler into the executable (about 46 KB). A GUI
// process has nowhere to print it to, so it simply aborts.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
#endif

namespace {

int launch() {
    // Before anything else loads: no DLL from beside the executable.
    restrictDllSearchToSystem32();
    startTrace();
    int exitCode = kExitFailure;
    {
        Launcher launcher;
        SetThreadLocale(GetSystemDefaultLCID());
        // Gives the main thread a message queue before anything else runs: a
        // later start of a single-instance application receives its reply as
        // a thread message.
        DefWindowProcW(nullptr, WM_NULL, 0, 0);
        exitCode = launcher.run();
        launcher.teardown();
    }
    if (tracing()) trace(L"exit code " + std::to_wstring(exitCode));
    return exitCode;
}

}  // namespace

// The console flavour is the same program with the console subsystem; it
// tells by its own image which one it is (isConsoleProgram).
#ifdef LAUNCHER_CONSOLE
extern "C" int wmain(int, wchar_t**) {
    return launch();
}
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return launch();
}
#endif
