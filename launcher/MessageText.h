#pragma once

#include <string>
#include <vector>

// Fills a string-table format: each "%s" or "%d" takes the next argument in
// order (numbers are passed already as text), "%%" gives one "%". Missing
// arguments give empty text; other "%" sequences stay as they are.
std::wstring formatText(const std::wstring& format, const std::vector<std::wstring>& args);

// The string-table id of the reason shown for a failed JNI_CreateJavaVM
// result (JNI_ERR to JNI_EINVAL); 0 for any other code, shown as no reason.
unsigned jniReasonMessageId(int code);

// The detail of a Windows error about one object: "<subject>: <system
// text>", the system text without its closing full stop and line break.
std::wstring objectErrorDetail(const std::wstring& subject, const std::wstring& systemText);

// A stack trace as the exception dialog's edit control shows it in full:
// every line break (CR LF, or LF or CR alone) as CR LF, tabs as they are, and
// every other control character as \uXXXX, so that none is lost or, as a
// NUL would, cuts the text short.
std::wstring visibleTraceText(const std::wstring& trace);
