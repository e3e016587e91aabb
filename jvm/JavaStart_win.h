#pragma once

#include "jvm/JavaMain_jni.h"
#include "jvm/JavaStartPlan.h"

#include <string>
#include <vector>

// The memory figures as this process sees them (a 32-bit process counts at
// most 2 GiB of physical memory).
MemoryFigures processMemory();

// The process's current folder; empty when it cannot be read.
std::wstring currentFolder();

// The files and folders that match pattern, as FindFirstFileW lists them.
std::vector<FoundFile> listMatches(const std::wstring& pattern);

// Sets the plan's environment variables in this process (the runtime's DLLs
// and child processes see them). Failures are not checked.
void applyEnvironment(const JavaStartPlan& plan);

// The Java main thread's part of the plan, with the options in the calling
// thread's ANSI code page, the form JNI_CreateJavaVM takes (see
// fitOptionsToCodePage). False, with the option in refused, when an option
// can be passed in no way.
bool javaMainPlanOf(const JavaStartPlan& plan, JavaMainPlan& main, std::wstring& refused);
