#pragma once

#include <string>
#include <vector>

// Cuts text at every occurrence of separator. Two separators in a row or a
// leading one give an empty piece; a trailing one gives none. Pieces keep
// their blanks. Empty text gives no pieces; an empty separator leaves the
// text whole.
std::vector<std::wstring> splitAtSeparator(const std::wstring& text, const std::wstring& separator);

// Whether a equals b when ASCII letters are compared without their case
// (configuration values and registry key names are ASCII words).
bool equalsIgnoringCase(const std::wstring& a, const wchar_t* b);

// Whether part occurs in text, ASCII letters compared without their case.
bool containsIgnoringCase(const std::wstring& text, const std::wstring& part);
