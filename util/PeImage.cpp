#include "util/PeImage.h"

namespace {

constexpr std::uint16_t kDosSignature = 0x5A4D;      // "MZ"
constexpr std::uint32_t kNtSignature = 0x00004550;   // "PE\0\0"
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kNtHeadersOffsetField = 0x3C;
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kFileHeaderSize = 20;

// PE fields are little-endian and need not be aligned in the file.
std::uint16_t readUint16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t readUint32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

std::optional<std::uint16_t> imageMachine(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size < kDosHeaderSize) return std::nullopt;
    if (readUint16(data) != kDosSignature) return std::nullopt;

    // e_lfanew is a signed field; read unsigned, a negative value is simply
    // out of range. Compared by subtraction so that no sum can overflow.
    const std::uint32_t offset = readUint32(data + kNtHeadersOffsetField);
    if (offset > size || size - offset < kSignatureSize + kFileHeaderSize) return std::nullopt;

    const unsigned char* headers = data + offset;
    if (readUint32(headers) != kNtSignature) return std::nullopt;
    return readUint16(headers + kSignatureSize);
}
