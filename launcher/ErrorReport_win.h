#pragma once

#include <windows.h>

#include <string>

// The text with the given id from the running executable's string table;
// empty when the id is missing.
std::wstring loadText(UINT id);

// Shows text in a modal error box (OK button, error icon, the system's default
// caption) owned by owner, and returns when the user has closed it.
void showError(HWND owner, const std::wstring& text);

// Shows format with its one "%s" filled with argument.
void showFormattedError(HWND owner, const std::wstring& format, const std::wstring& argument);

// Shows format with "%s" = detail and "%d" = error (as a signed number).
void showWindowsError(HWND owner, const std::wstring& format, const std::wstring& detail,
                      DWORD error);

// The system's text for a Windows error code; empty when it has none.
std::wstring systemErrorText(DWORD error);

// Shows a Windows error about one object (a file, a program): message 202
// with "<subject>: <system text>" and the error code.
void showObjectError(HWND owner, const std::wstring& subject, DWORD error);
