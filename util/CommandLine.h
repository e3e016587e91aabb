#pragma once

#include <string>
#include <vector>

// Splits a command line into arguments. A double quote at the start of an
// argument quotes up to the next double quote (the text between may be
// empty; without a closing quote the rest of the line is the argument);
// otherwise an argument runs up to the next space. Only U+0020 separates:
// tabs and quotes inside an unquoted argument are ordinary characters, and
// there is no escape character. Characters right after a closing quote
// start the next argument.
// The text is taken as it is: the caller trims it first (a leading space
// gives an empty first argument) and drops the program path itself.
std::vector<std::wstring> splitCommandLine(const std::wstring& text);

// The arguments meant for the program: the command line trimmed of white
// space (iswspace) at both ends, split, without its first element (the
// program path, however it is written).
std::vector<std::wstring> argumentsFromCommandLine(const std::wstring& commandLine);

// Whether the arguments ask for no splash picture: one of them is exactly
// "-nosplash" or "/nosplash" (letter case counts).
bool asksForNoSplash(const std::vector<std::wstring>& arguments);
