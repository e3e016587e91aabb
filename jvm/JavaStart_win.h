#pragma once

#include "jvm/JavaMain_jni.h"
#include "jvm/JavaStartPlan.h"

#include <string>
#include <vector>

// The facts of this machine and process that planning the start needs: the
// memory figures as this process sees them, the current folder, the
// environment and the file system.
JavaStartFacts gatherJavaStartFacts(const std::wstring& jvmPath, bool keepMainThreadAlive,
                                    const std::wstring& executablePath,
                                    const std::vector<std::wstring>& arguments);

// Sets the plan's environment variables in this process (the runtime's DLLs
// and child processes see them). Failures are not checked.
void applyEnvironment(const JavaStartPlan& plan);

// The Java main thread's part of the plan, with the options in the calling
// thread's ANSI code page, the form JNI_CreateJavaVM takes; a path the code
// page cannot hold goes by its short name. False, with that path in
// unrepresentable, when it has none.
bool javaMainPlanOf(const JavaStartPlan& plan, JavaMainPlan& main, std::wstring& unrepresentable);
