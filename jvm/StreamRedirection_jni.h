#pragma once

#include "jvm/JavaStartPlan.h"

#include <jni.h>

#include <string>

// Points System.out at a new PrintStream over a FileOutputStream of path
// (appending or truncating). The print stream (a local reference), or null
// when any step fails; a Java exception of the failure may then be pending.
jobject redirectStandardOutput(JNIEnv* env, const std::wstring& path, bool append);

// The same for System.err.
jobject redirectStandardError(JNIEnv* env, const std::wstring& path, bool append);

// Points System.err at stream, which already serves System.out, so that both
// write through one file position. False when the call fails.
bool shareStandardError(JNIEnv* env, jobject stream);

// Redirects the streams that targets name: output first, so that a failure to
// open its file is still described on the original error stream. When both
// name one file, it is opened once (with the output's append flag) and
// serves both. A file that cannot be opened leaves its stream where it was;
// the runtime's exception is described on standard error.
void applyStreamRedirection(JNIEnv* env, const StreamTargets& targets);
