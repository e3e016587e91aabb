#pragma once

#include <optional>
#include <string>

// The value of the process's environment variable name; nothing when it is
// not set.
std::optional<std::wstring> environmentValue(const std::wstring& name);
