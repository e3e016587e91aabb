#pragma once

#include <windows.h>

// GetProcAddress typed as the function it finds; null when missing (the
// reason stays in GetLastError).
template <typename Function>
Function procAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
