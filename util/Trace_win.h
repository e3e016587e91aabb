#pragma once

// Starts the trace when the environment variable LAUNCHER_TRACE names a
// file: lines are appended to it in UTF-8, each with the process id and the
// milliseconds since the process started. Without the variable, or when the
// file cannot be opened, nothing is traced.
void startTrace();
