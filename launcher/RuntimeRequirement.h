#pragma once

#include "jre/JavaVersion.h"

#include <string>
#include <vector>

// A string-table text and the arguments for its "%s" places, in order.
struct ComposedText {
    unsigned id = 0;
    std::vector<std::wstring> arguments;
};

// The sentence that names the Java version a start needs: "neueste Version"
// without bounds, else the minimum, the maximum, the one version both name,
// or the range. An all-zero or all-65535 bound is no bound.
ComposedText requirementSentence(const JavaVersion& minimum, const JavaVersion& maximum);

// The runtime-not-found message for a JVM Type: with the server VM required
// (1) the text that asks for a server VM, otherwise the plain one. Its one
// "%s" takes the requirement sentence.
unsigned runtimeNotFoundMessageId(int jvmType);
