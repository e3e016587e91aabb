#pragma once

#include <jni.h>

#include <string>

// Which Java standard stream to replace.
enum class JavaStream { output, error };

// Points System.out or System.err at a new PrintStream over a
// FileOutputStream of path (appending or truncating). False when any step
// fails; a Java exception of the failure may then be pending.
bool redirectJavaStream(JNIEnv* env, JavaStream stream, const std::wstring& path, bool append);
