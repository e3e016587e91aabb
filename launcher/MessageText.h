#pragma once

#include <string>
#include <vector>

// Fills a string-table format: each "%s" or "%d" takes the next argument in
// order (numbers are passed already as text), "%%" gives one "%". Missing
// arguments give empty text; other "%" sequences stay as they are.
std::wstring formatText(const std::wstring& format, const std::vector<std::wstring>& args);
