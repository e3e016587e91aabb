#pragma once

#include <jni.h>

#include <string>

// What throwable.printStackTrace writes: its description, one line per frame
// and its causes, with the runtime's line separator. Called with no exception
// pending; leaves none. An exception that cannot print itself (its
// printStackTrace or toString throws, or prints nothing; some runtimes
// overflow their stack on a cycle of causes) is written by the launcher:
// what it printed before the failure, then each exception of its chain by
// class name, message and frames, a cause met before named once as a
// circular reference, and last what printStackTrace threw. Empty only when
// not even that can be had.
std::wstring captureStackTrace(JNIEnv* env, jthrowable throwable);
