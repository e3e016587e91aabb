#pragma once

#include <string>

// The bytes of the file at path; empty when it cannot be read. Files that a
// program still writes are read all the same.
std::string readFileBytes(const std::wstring& path);

// Writes bytes as the whole file at path (created or truncated).
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
