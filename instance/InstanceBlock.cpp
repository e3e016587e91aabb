#include "instance/InstanceBlock.h"

#include "util/Utf16.h"

#include <algorithm>

std::wstring instanceNameOf(const std::wstring& executablePath) {
    std::wstring name = executablePath;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

std::wstring readyEventNameOf(const std::wstring& instanceName) {
    return instanceName + L"_upr_evt";
}

std::wstring forwardLockNameOf(const std::wstring& instanceName) {
    return instanceName + L"_fwd_mtx";
}

std::wstring requestMappingNameOf(const std::wstring& instanceName, std::uint32_t requesterThread) {
    return instanceName + L"_args_" + std::to_wstring(requesterThread);
}

std::wstring takenMessageNameOf(const std::wstring& instanceName) {
    return instanceName + L"_taken";
}

namespace {

std::vector<std::uint8_t> encode(const std::vector<std::wstring>& arguments, std::size_t limit) {
    std::u16string units;
    for (const std::wstring& argument : arguments) {
        units += toUtf16(argument);
        units += u'\0';
        if (units.size() * 2 > limit) return {};
    }
    units += u'\0';
    if (units.size() * 2 > limit) return {};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> encodeInstanceArguments(const std::vector<std::wstring>& arguments) {
    return encode(arguments, kForwardedBytesLimit);
}

std::vector<std::uint8_t> encodeAllInstanceArguments(const std::vector<std::wstring>& arguments) {
    return encode(arguments, kRequestBytesLimit);
}

std::vector<std::wstring> decodeInstanceArguments(const std::uint8_t* bytes, std::size_t size) {
    std::vector<std::wstring> arguments;
    std::u16string current;
    const std::size_t unitCount = size / 2;
    for (std::size_t i = 0; i < unitCount; ++i) {
        const char16_t unit = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit != u'\0') {
            current += unit;
            continue;
        }
        arguments.push_back(fromUtf16(current.data(), current.size()));
        current.clear();
        // A NUL right after ends the list; so do the bytes' end.
        if (i + 1 >= unitCount || (bytes[2 * i + 2] == 0 && bytes[2 * i + 3] == 0)) break;
    }
    return arguments;
}

std::vector<std::wstring> decodeInstanceArguments(const std::uint8_t* area) {
    return decodeInstanceArguments(area, kArgumentAreaSize - 2);
}

std::uint32_t readBlockWord(const std::uint8_t* block, std::size_t offset) {
    return static_cast<std::uint32_t>(block[offset]) | static_cast<std::uint32_t>(block[offset + 1]) << 8 |
           static_cast<std::uint32_t>(block[offset + 2]) << 16 | static_cast<std::uint32_t>(block[offset + 3]) << 24;
}

void writeBlockWord(std::uint8_t* block, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
