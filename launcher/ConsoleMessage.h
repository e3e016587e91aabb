#pragma once

#include <string>

// A message of the console flavour as it goes to standard error: the
// program's name, a colon and the text, its line feeds as CR LF and one line
// end at the end, however many the text had (most message texts end in one).
std::wstring consoleMessage(const std::wstring& programName, const std::wstring& text);

// The program's name for messages: the executable's file name without its
// folder and without ".exe" ("C:\Tools\mytool.exe" is "mytool").
std::wstring programNameOf(const std::wstring& executablePath);

// The exit status of an application ended by a console event, as a signal
// would end it: Ctrl+C (0) 130, Ctrl+Break (1) 149, closing the console (2)
// 143; 0 for events that do not end it (log-off, shut-down: a service's).
int consoleEventExitStatus(unsigned long event);

// text as UTF-8; unpaired surrogates become U+FFFD.
std::string utf8Of(const std::wstring& text);
