#pragma once

#include <windows.h>

#include <string>

// Shows the stack trace of an exception that escaped main in the resizable
// dialog "Java Fehler", owned by owner. 1 when the user chose "Ignorieren";
// 2 for "Stop", Esc or the close box; -1 when the dialog could not be made.
INT_PTR showExceptionDialog(HWND owner, const std::wstring& trace);
