#pragma once

#include <string>

// Replaces every %NAME% reference of the process environment in text; text
// stays as it is when the system cannot expand it.
void expandEnvironment(std::wstring& text);
