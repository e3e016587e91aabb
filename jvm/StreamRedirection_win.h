#pragma once

#include <windows.h>

#include <string>

// Replaces the text between the first and the last "%" of name, and the two
// "%" signs, with time formatted by that picture (GetTimeFormatW, then
// GetDateFormatW; "L" stands for the milliseconds).
void expandDatePattern(std::wstring& name, const SYSTEMTIME& time);
