#pragma once

#include <windows.h>

#include <string>

// The runtime folder the user picked in the runtime-not-found dialog.
struct PickedRuntime {
    std::wstring folder;   // ends in "\"
    std::wstring jvmPath;  // the VM library found in it
};

// Shows the runtime-not-found dialog with message, owned by owner: the
// download link, and a folder picker whose folder must hold a VM library of
// jvmType before OK can be pressed, one built for this process's processor
// unless a pair product can start others (otherwise the user is told why the
// folder does not do). 1 after OK (picked is then set), 2 after Cancel, Esc
// or the close box, -1 when the dialog could not be made.
INT_PTR showRuntimeNotFoundDialog(HWND owner, const std::wstring& message, int jvmType, bool pairProductConfigured,
                                  PickedRuntime& picked);
