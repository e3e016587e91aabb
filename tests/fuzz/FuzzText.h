#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The fuzz bytes as text: each pair of bytes is one UTF-16 code unit, so the
// fuzzer reaches every character a Windows string can hold.
inline std::wstring fuzzText(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    }
    return text;
}
