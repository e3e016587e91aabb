#pragma once

#include <array>
#include <cstdint>
#include <string>

// A Java runtime version: four signed 32-bit numbers, most significant first
// (1.8.0_231 is 1, 8, 0, 231). 0 in every part is the lowest version and the
// value of anything unparsable; 65535 marks the open end of an upper bound.
class JavaVersion {
public:
    static constexpr int32_t openPart = 65535;

    // All parts 0.
    JavaVersion() = default;
    JavaVersion(int32_t major, int32_t minor, int32_t micro, int32_t update);

    // Reads up to four digit groups; anything between groups (dots, "_",
    // letters, blanks) separates them, leading text is skipped and groups
    // after the fourth are ignored. Parts no group reaches get fill. True
    // when at least one group was read; on false all parts are 0, also when
    // a group exceeds 2147483647.
    bool parse(const std::wstring& text, int32_t fill);

    // The parts up to the last one that is neither 0 nor 65535, at least
    // two, joined by dots: 1.8.0.231, 1.8 for 1.8.65535.65535, 11.0 for
    // 11.65535.65535.65535. "0.0.0.0" when no part is significant.
    std::wstring format() const;

    // Negative, zero or positive; part by part as signed numbers, 65535
    // included without any special meaning.
    static int compare(const JavaVersion& a, const JavaVersion& b);

    // True when all parts are 0 or all are 65535: no bound at all.
    bool isUnset() const;

    // The version as Java 1.2 to 1.8 number themselves, which today's
    // vendors write the new way: a major number of 2 to 8 moves behind a
    // leading 1 and the last part (a build number) goes, so 8.0.392.8 is
    // 1.8.0.392, as JavaSoft's 1.8.0_392, and 8 with open parts is 1.8 with
    // open parts. Any other version is returned as it is.
    JavaVersion inClassicNumbering() const;

    int32_t part(int index) const { return parts_[static_cast<size_t>(index)]; }
    const std::array<int32_t, 4>& parts() const { return parts_; }

    friend bool operator==(const JavaVersion& a, const JavaVersion& b) { return a.parts_ == b.parts_; }
    friend bool operator!=(const JavaVersion& a, const JavaVersion& b) { return a.parts_ != b.parts_; }

private:
    std::array<int32_t, 4> parts_{};
};

// The lower bound a configured minimum stands for: exactly "any" is
// 0.0.0.0; other text is parsed with fill 0 (unparsable text gives 0.0.0.0).
JavaVersion minimumBound(const std::wstring& value);

// The upper bound a configured maximum stands for: exactly "any" is 65535 in
// every part; other text is parsed with fill 65535, so 1.8 admits every
// 1.8.x.y. Empty or unparsable text gives 0.0.0.0, which isUnset reports as
// no bound.
JavaVersion maximumBound(const std::wstring& value);
