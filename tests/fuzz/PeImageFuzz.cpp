#include "util/PeImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any byte string: no read outside it, and an answer only when the bytes
// really hold "MZ", the headers' offset, "PE\0\0" and a whole file header.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto machine = imageMachine(data, size);
    if (!machine) return 0;
    if (size < 0x40 || data[0] != 'M' || data[1] != 'Z') std::abort();
    const std::uint32_t offset = static_cast<std::uint32_t>(data[0x3C]) |
                                 (static_cast<std::uint32_t>(data[0x3D]) << 8) |
                                 (static_cast<std::uint32_t>(data[0x3E]) << 16) |
                                 (static_cast<std::uint32_t>(data[0x3F]) << 24);
    if (static_cast<std::uint64_t>(offset) + 24 > size) std::abort();
    const std::uint8_t* headers = data + offset;
    if (headers[0] != 'P' || headers[1] != 'E' || headers[2] != 0 || headers[3] != 0) std::abort();
    if (*machine != (headers[4] | (headers[5] << 8))) std::abort();
    return 0;
}
