#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// One dialog box that a started program showed, as the user saw it.
struct SeenDialog {
    std::wstring caption;
    // The message of a message box (its static control 0xFFFF); empty for
    // other dialogs.
    std::wstring text;
    // True when the box had the message box's text control.
    bool messageBox = false;
    // The button that was pressed to close it; 0 when none could be.
    int pressed = 0;
};

// Decides how to close a dialog: returns the id of the button to press.
// Called on the watching thread while the dialog is open, so it may also read
// or change the dialog's controls first.
using DialogAnswer = std::function<int(HWND dialog, const SeenDialog& seen)>;

// The answer of a user who accepts everything: OK when the dialog has an
// enabled OK button, otherwise Cancel.
int pressOkOrCancel(HWND dialog, const SeenDialog& seen);

struct RunOptions {
    // Appended, after one space, to the quoted program path.
    std::wstring arguments;
    // Replaces APPDATA in the program's environment; empty: inherited.
    std::wstring appData;
    // Further variables set in (or, with an empty value, removed from) the
    // program's environment.
    std::vector<std::pair<std::wstring, std::wstring>> environment;
    // Empty: the program's own folder.
    std::wstring workingDirectory;
    // The whole run, dialogs included, must end within this time; then the
    // program is ended and the result says timedOut.
    DWORD timeoutMs = 30000;
    DialogAnswer answer = pressOkOrCancel;
    // A console program's standard streams: input from this text, output
    // and error into files, read back into the result. Off: the program gets
    // no standard handles of the test's.
    bool standardStreams = false;
    std::string standardInput;
};

struct RunResult {
    bool started = false;
    DWORD startError = 0;
    bool timedOut = false;
    // GetExitCodeProcess's full 32-bit value: -1 is 0xFFFFFFFF.
    DWORD exitCode = 0;
    // Every dialog of the program (and of programs it started), in the order
    // in which they appeared.
    std::vector<SeenDialog> dialogs;
    // With RunOptions::standardStreams: the bytes written to each.
    std::string standardOutput;
    std::string standardError;
};

// Starts program with options, closes each dialog box it shows as
// options.answer says, and waits until the program ends.
RunResult runProgram(const std::wstring& program, const RunOptions& options = RunOptions());

// text in UTF-8, for test messages.
std::string toUtf8(const std::wstring& text);

// The run in one line for a failed assertion: exit code, time-out and each
// dialog's caption and text.
std::string describeRun(const RunResult& run);

// The caption MessageBoxW gives a box without a caption of its own, in this
// system's language ("Error" on English Windows and under Wine). Found once by
// showing such a box in this process and reading it back.
const std::wstring& defaultErrorCaption();

// The text of a window or control of any process, as WM_GETTEXT gives it
// (GetWindowText does not ask another process's controls); empty when the
// window does not answer.
std::wstring windowText(HWND window);
