#include "launcher/EmbeddedSettings.h"

#include <cstdint>
#include <cwctype>

namespace {

bool readU32(const unsigned char* block, size_t size, size_t& at, uint32_t& value) {
    if (size - at < 4) return false;
    value = uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 |
            uint32_t(block[at + 3]) << 24;
    at += 4;
    return true;
}

// Strict UTF-8; false for anything malformed (the tool writes valid text).
bool decodeUtf8(const unsigned char* bytes, size_t count, std::wstring& text) {
    text.clear();
    for (size_t i = 0; i < count;) {
        unsigned char b = bytes[i];
        size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || count - i < length) return false;
        char32_t code = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
            code = (code << 6) | (bytes[i + k] & 0x3F);
        }
        static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        if (sizeof(wchar_t) == 2 && code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<wchar_t>(code));
        }
        i += length;
    }
    return true;
}

bool sameCode(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

}  // namespace

std::wstring selectEmbeddedSettings(const unsigned char* block, size_t size, const std::wstring& upgradeCode) {
    if (block == nullptr || size < 12 || block[0] != 'L' || block[1] != 'S' || block[2] != 'E' || block[3] != 'T')
        return std::wstring();
    size_t at = 4;
    uint32_t version = 0, count = 0;
    if (!readU32(block, size, at, version) || version != 1 || !readU32(block, size, at, count)) return std::wstring();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t codeBytes = 0, textBytes = 0;
        if (!readU32(block, size, at, codeBytes) || size - at < codeBytes) return std::wstring();
        const size_t codeAt = at;
        at += codeBytes;
        if (!readU32(block, size, at, textBytes) || size - at < textBytes) return std::wstring();
        std::wstring code, text;
        if (!decodeUtf8(block + codeAt, codeBytes, code)) return std::wstring();
        if (sameCode(code, upgradeCode)) return decodeUtf8(block + at, textBytes, text) ? text : std::wstring();
        at += textBytes;
    }
    return std::wstring();
}
