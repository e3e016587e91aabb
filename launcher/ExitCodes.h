#pragma once

// Exit codes of the launcher process. A Java application that calls
// System.exit ends the process with its own status instead.
enum ExitCode : int {
    kExitSuccess = 0,  // main returned, the splash failed, or the pair product ran unwaited
    kExitFailure = -1, // the launcher itself failed; the user has been told why
    kExitUncaughtException = 1,  // an exception escaped main and the user did not let it go, as with java
};
