#pragma once

#include <string>

// True when the DLL at dllPath is a PE image for another processor than this
// build's own (an x64 DLL for the 32-bit launcher, an x86 one for the 64-bit
// launcher). False for a DLL of the own processor and for anything that
// cannot be read or is no PE image: such a file is left to the loader.
bool isForeignArchitectureImage(const std::wstring& dllPath);
