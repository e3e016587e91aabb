#pragma once

#include <jni.h>

#include <string>

// Points System.out at a new PrintStream over a FileOutputStream of path
// (appending or truncating). False when any step fails; a Java exception of
// the failure may then be pending.
bool redirectStandardOutput(JNIEnv* env, const std::wstring& path, bool append);

// The same for System.err.
bool redirectStandardError(JNIEnv* env, const std::wstring& path, bool append);
