#pragma once

#include "jvm/AnsiOptions.h"

#include <jni.h>

#include <vector>

// Sets each property through System.setProperty, in full Unicode. False when
// one could not be set (what Java threw is printed to its error stream).
bool setLateProperties(JNIEnv* env, const std::vector<LateProperty>& properties);
