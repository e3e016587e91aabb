#pragma once

#include <windows.h>

// Centres a dialog over its owner when the owner is visible and not
// minimised, else over the work area of the monitor nearest to it, and keeps
// it inside the work area of the monitor nearest to the owner (or to the
// dialog). The size stays.
void centerDialog(HWND dialog);
