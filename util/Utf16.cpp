#include "util/Utf16.h"

std::u16string toUtf16(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        auto code = static_cast<char32_t>(c);
        if (code >= 0x10000 && code <= 0x10FFFF) {
            code -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(code));
        }
    }
    return units;
}

std::wstring fromUtf16(const char16_t* units, size_t count) {
    std::wstring text;
    text.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        char32_t unit = units[i];
        if (sizeof(wchar_t) == 4 && unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count &&
            units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            char32_t low = units[++i];
            text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        } else {
            text.push_back(static_cast<wchar_t>(unit));
        }
    }
    return text;
}

std::wstring fromModifiedUtf8(const char* bytes) {
    std::u16string units;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    while (*p) {
        unsigned char b = *p;
        if (b < 0x80) {
            units.push_back(b);
            ++p;
        } else if ((b & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            units.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F)));
            p += 2;
        } else if ((b & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            units.push_back(
                static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)));
            p += 3;
        } else {
            units.push_back(0xFFFD);
            ++p;
        }
    }
    return fromUtf16(units.data(), units.size());
}
