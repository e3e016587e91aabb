#pragma once

#include <string>

// Conversions at the few ANSI interfaces, in the calling thread's ANSI code
// page (CP_THREAD_ACP): the main thread runs with the system's default locale.
// A null or unconvertible input gives an empty result.
std::wstring fromAnsi(const char* text);
std::string toAnsi(const std::wstring& text);
// Whether text converts to the ANSI code page exactly, without best fit.
bool fitsAnsi(const std::wstring& text);
