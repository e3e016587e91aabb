#pragma once

#include <string>

// Text as UTF-16 code units. On Windows wchar_t already is UTF-16; on Linux
// (32-bit wchar_t) characters outside the BMP become surrogate pairs.
std::u16string toUtf16(const std::wstring& text);

// The reverse of toUtf16; unpaired surrogates are kept as they are.
std::wstring fromUtf16(const char16_t* units, size_t count);

// Decodes Java's modified UTF-8 (NUL as C0 80, supplementary characters as
// two encoded surrogates) into text. Malformed bytes become U+FFFD.
std::wstring fromModifiedUtf8(const char* bytes);
