#pragma once

#include <jni.h>

#include <string>

// What throwable.printStackTrace writes: its description, one line per frame
// and its causes, with the runtime's line separator. Called with no exception
// pending. An exception thrown while the trace is written is described on
// standard error and cleared; the text then holds what was written before it.
// Empty when the text cannot be had at all.
std::wstring captureStackTrace(JNIEnv* env, jthrowable throwable);
