#include "instance/InstanceBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Any bytes another program may leave in the argument area or in a request's
// mapping: decoding reads nothing past them (the sanitizers see the exact
// size), and what a later start writes comes back as it was written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> exact(data, data + size);
    const std::vector<std::wstring> decoded = decodeInstanceArguments(exact.data(), exact.size());
    std::vector<uint8_t> area(kArgumentAreaSize, 0);
    std::memcpy(area.data(), data, size < area.size() ? size : area.size());
    decodeInstanceArguments(area.data());

    // Without empty arguments (an empty one ends the list), a list survives.
    bool hasEmpty = decoded.empty();
    for (const std::wstring& argument : decoded) hasEmpty = hasEmpty || argument.empty();
    if (hasEmpty) return 0;
    const std::vector<uint8_t> encoded = encodeAllInstanceArguments(decoded);
    if (encoded.empty() && size < kRequestBytesLimit) __builtin_trap();
    if (!encoded.empty() && decodeInstanceArguments(encoded.data(), encoded.size()) != decoded) __builtin_trap();
    return 0;
}
