#pragma once

#include "jvm/JavaStartPlan.h"

#include <windows.h>

#include <string>

// The longest picture handed to the system's time and date formatting: longer
// ones make it crash (seen under Wine from about 268 characters) and are left
// as written.
constexpr std::size_t kLongestDatePicture = 200;

// Replaces the text between the first and the last "%" of name, and the two
// "%" signs, with time formatted by that picture (GetTimeFormatW, then
// GetDateFormatW; "L" stands for the milliseconds). A picture that cannot be
// formatted stays as written, without its "%" signs.
void expandDatePattern(std::wstring& name, const SYSTEMTIME& time);

// Puts the current local time, one instant for both, into the names that
// hold a pattern.
void expandDatePatterns(StreamTargets& targets);
