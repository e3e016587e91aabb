#pragma once

#include <string>

// The launcher's decisions written down, one line each, when the environment
// variable LAUNCHER_TRACE names a file. Without it nothing is formatted or
// written: callers ask tracing() before they build a line.
using TraceWriter = void (*)(const std::wstring& line);

// Installed once at start, before any other thread runs.
void setTraceWriter(TraceWriter writer);

inline TraceWriter& traceWriter() {
    static TraceWriter writer = nullptr;
    return writer;
}

inline bool tracing() {
    return traceWriter() != nullptr;
}

inline void trace(const std::wstring& line) {
    if (TraceWriter writer = traceWriter()) writer(line);
}
