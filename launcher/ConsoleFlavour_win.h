#pragma once

#include <memory>
#include <string>

class JavaVmOwner;

// True when this executable is the console flavour (launcherc.exe): its own
// image names the console subsystem.
bool isConsoleProgram();

// Writes text to standard error: as UTF-16 to a console, as UTF-8 to a file
// or a pipe. False when the process has no standard error.
bool writeToStandardError(const std::wstring& text);

// From now on Ctrl+C, Ctrl+Break and closing the console end the
// application as System.exit does, so that its shutdown hooks run, with the
// status a signal gives (130, 149, 143). A runtime that handles the events
// itself (HotSpot) is asked first, as it registers later. Before the VM
// exists and after it is gone, an event ends the process as usual.
void forwardConsoleEventsTo(const std::shared_ptr<JavaVmOwner>& vm);

// While this process only waits for the pair product in the same console,
// the events are that program's: this one stays to pass its exit code on.
void leaveConsoleEventsToChild();
