#pragma once

#include <functional>
#include <optional>
#include <string>

// The value of an environment variable, or nothing when it is not set. Names
// are looked up as Windows does, ignoring letter case.
using EnvironmentLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// Replaces every %NAME% reference to a set variable with its value, as the
// system's ExpandEnvironmentStrings does, but in one pass over texts of any
// length: a reference to a variable that is not set stays as written, with
// both its "%" signs. Values are inserted as they are and never expanded
// again.
std::wstring expandEnvironmentReferences(const std::wstring& text, const EnvironmentLookup& lookup);
