#include "jre/JavaVersion.h"

#include <limits>

namespace {

// ASCII digits only: other Unicode digits are separators in a version.
bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

size_t findDigit(const std::wstring& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (isDigit(text[i])) return i;
    }
    return std::wstring::npos;
}

}  // namespace

JavaVersion::JavaVersion(int32_t major, int32_t minor, int32_t micro, int32_t update)
    : parts_{major, minor, micro, update} {}

bool JavaVersion::parse(const std::wstring& text, int32_t fill) {
    parts_.fill(0);
    size_t pos = findDigit(text, 0);
    if (pos == std::wstring::npos) return false;

    constexpr int32_t largest = std::numeric_limits<int32_t>::max();
    size_t read = 0;
    while (read < parts_.size()) {
        int32_t value = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            int32_t digit = static_cast<int32_t>(text[pos] - L'0');
            // Checked before multiplying, so the test itself cannot overflow.
            if (value > (largest - digit) / 10) {
                parts_.fill(0);
                return false;
            }
            value = value * 10 + digit;
        }
        parts_[read++] = value;
        pos = findDigit(text, pos);
        if (pos == std::wstring::npos) break;
    }
    for (size_t i = read; i < parts_.size(); ++i) parts_[i] = fill;
    return true;
}

std::wstring JavaVersion::format() const {
    int last = -1;
    for (int i = 3; i >= 0; --i) {
        int32_t p = parts_[static_cast<size_t>(i)];
        if (p != 0 && p != openPart) {
            last = i;
            break;
        }
    }
    if (last < 0) return L"0.0.0.0";

    std::wstring out = std::to_wstring(parts_[0]);
    // A lone significant major number still prints as two parts; the second
    // is 0 whether the text left it out (65535) or wrote it as 0.
    if (last == 0) return out + L".0";
    for (int i = 1; i <= last; ++i) {
        out += L'.';
        out += std::to_wstring(parts_[static_cast<size_t>(i)]);
    }
    return out;
}

int JavaVersion::compare(const JavaVersion& a, const JavaVersion& b) {
    for (size_t i = 0; i < a.parts_.size(); ++i) {
        if (a.parts_[i] < b.parts_[i]) return -1;
        if (a.parts_[i] > b.parts_[i]) return 1;
    }
    return 0;
}

bool JavaVersion::isUnset() const {
    int32_t first = parts_[0];
    if (first != 0 && first != openPart) return false;
    for (int32_t p : parts_) {
        if (p != first) return false;
    }
    return true;
}

JavaVersion JavaVersion::inClassicNumbering() const {
    if (parts_[0] < 2 || parts_[0] > 8) return *this;
    return JavaVersion(1, parts_[0], parts_[1], parts_[2]);
}

JavaVersion minimumBound(const std::wstring& value) {
    JavaVersion bound;
    if (value != L"any") bound.parse(value, 0);
    return bound;
}

JavaVersion maximumBound(const std::wstring& value) {
    if (value == L"any") {
        return JavaVersion(JavaVersion::openPart, JavaVersion::openPart, JavaVersion::openPart,
                           JavaVersion::openPart);
    }
    JavaVersion bound;
    bound.parse(value, JavaVersion::openPart);
    return bound;
}
