#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The first bytes of a PE image: a DOS header whose e_lfanew points at
// headersOffset, the "PE\0\0" signature and a file header with machine. Tests
// cut or patch the result to make malformed images.
inline std::vector<unsigned char> buildPeImage(std::uint16_t machine,
                                               std::uint32_t headersOffset = 0x80) {
    std::vector<unsigned char> image(headersOffset + 4 + 20 + 0x40, 0);
    auto put16 = [&](std::size_t at, std::uint16_t value) {
        image[at] = static_cast<unsigned char>(value);
        image[at + 1] = static_cast<unsigned char>(value >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t value) {
        put16(at, static_cast<std::uint16_t>(value));
        put16(at + 2, static_cast<std::uint16_t>(value >> 16));
    };
    put16(0, 0x5A4D);
    put32(0x3C, headersOffset);
    put32(headersOffset, 0x00004550);
    put16(headersOffset + 4, machine);
    return image;
}
