#include "jre/JavaVersion.h"

#include <gtest/gtest.h>

namespace {

const int32_t high = JavaVersion::openPart;

struct ParseCase {
    const wchar_t* text;
    int32_t fill;
    bool ok;
    JavaVersion parts;
    const wchar_t* formatted;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << testing::PrintToString(std::wstring(c.text)) << " fill " << c.fill;
}

class JavaVersionParse : public testing::TestWithParam<ParseCase> {};

TEST_P(JavaVersionParse, PartsAndFormat) {
    const ParseCase& c = GetParam();
    JavaVersion v(9, 9, 9, 9);
    EXPECT_EQ(v.parse(c.text, c.fill), c.ok);
    EXPECT_EQ(v.parts(), c.parts.parts());
    EXPECT_EQ(v.format(), c.formatted);
}

INSTANTIATE_TEST_SUITE_P(JavaVersion, JavaVersionParse, testing::Values(
    ParseCase{L"1.8.0_231", 0, true, {1, 8, 0, 231}, L"1.8.0.231"},
    ParseCase{L"jdk1.8.0_231", 0, true, {1, 8, 0, 231}, L"1.8.0.231"},
    ParseCase{L"1.8", 0, true, {1, 8, 0, 0}, L"1.8"},
    ParseCase{L"1.8", 65535, true, {1, 8, high, high}, L"1.8"},
    ParseCase{L"11", 0, true, {11, 0, 0, 0}, L"11.0"},
    ParseCase{L"11", 65535, true, {11, high, high, high}, L"11.0"},
    ParseCase{L"11.0.2", 0, true, {11, 0, 2, 0}, L"11.0.2"},
    ParseCase{L"17 ea+35", 0, true, {17, 35, 0, 0}, L"17.35"},
    ParseCase{L"1.2.3.4.5", 0, true, {1, 2, 3, 4}, L"1.2.3.4"},
    ParseCase{L"1.2.3.4.99999999999", 0, true, {1, 2, 3, 4}, L"1.2.3.4"},
    ParseCase{L"2147483647", 0, true, {2147483647, 0, 0, 0}, L"2147483647.0"},
    ParseCase{L"2147483648", 65535, false, {}, L"0.0.0.0"},
    ParseCase{L"1.8.99999999990", 65535, false, {}, L"0.0.0.0"},
    ParseCase{L"", 65535, false, {}, L"0.0.0.0"},
    ParseCase{L"any", 65535, false, {}, L"0.0.0.0"},
    ParseCase{L"\u0661\u0668", 0, false, {}, L"0.0.0.0"}));

TEST(JavaVersion, FormatKeepsInnerOpenAndZeroParts) {
    EXPECT_EQ(JavaVersion(1, high, 3, 0).format(), L"1.65535.3");
    EXPECT_EQ(JavaVersion(0, 0, 0, 1).format(), L"0.0.0.1");
    EXPECT_EQ(JavaVersion(high, high, high, high).format(), L"0.0.0.0");
    EXPECT_EQ(JavaVersion(-1, 0, 0, 0).format(), L"-1.0");
}

TEST(JavaVersion, ComparesPartByPartAsSignedNumbers) {
    EXPECT_GT(JavaVersion::compare({1, 8, 0, 231}, {1, 8, 0, 0}), 0);
    EXPECT_LT(JavaVersion::compare({1, 8, high, high}, {11, 0, 0, 0}), 0);
    EXPECT_GT(JavaVersion::compare({1, 8, high, high}, {1, 8, 400, 999}), 0);
    EXPECT_LT(JavaVersion::compare({-1, 0, 0, 0}, {0, 0, 0, 0}), 0);
    EXPECT_EQ(JavaVersion::compare({1, 8, 0, 0}, {1, 8, 0, 0}), 0);
}

TEST(JavaVersion, UnsetOnlyWhenAllPartsAreZeroOrAllOpen) {
    EXPECT_TRUE(JavaVersion().isUnset());
    EXPECT_TRUE(JavaVersion(high, high, high, high).isUnset());
    EXPECT_FALSE(JavaVersion(0, 0, 0, 1).isUnset());
    EXPECT_FALSE(JavaVersion(high, high, high, 0).isUnset());
    EXPECT_FALSE(JavaVersion(1, 1, 1, 1).isUnset());
}

TEST(JavaVersion, ClassicNumberingPutsJava2To8Behind1) {
    EXPECT_EQ(JavaVersion(8, 0, 392, 8).inClassicNumbering(), JavaVersion(1, 8, 0, 392));
    EXPECT_EQ(maximumBound(L"8").inClassicNumbering(), maximumBound(L"1.8"));
    EXPECT_EQ(JavaVersion(5, 0, 0, 0).inClassicNumbering(), JavaVersion(1, 5, 0, 0));
    for (JavaVersion same : {JavaVersion(1, 8, 0, 392), JavaVersion(9, 0, 4, 0), JavaVersion(21, 0, 5, 11),
                             JavaVersion(), JavaVersion(high, high, high, high)})
        EXPECT_EQ(same.inClassicNumbering(), same) << same.format();
}

TEST(JavaVersion, BoundsFromConfiguredValues) {
    EXPECT_EQ(minimumBound(L"any"), JavaVersion());
    EXPECT_EQ(minimumBound(L"1.8"), JavaVersion(1, 8, 0, 0));
    EXPECT_EQ(maximumBound(L"any"), JavaVersion(high, high, high, high));
    EXPECT_EQ(maximumBound(L"1.8"), JavaVersion(1, 8, high, high));
    // The keyword is exact; anything else without digits is no bound at all.
    EXPECT_EQ(minimumBound(L"Any"), JavaVersion());
    EXPECT_EQ(maximumBound(L"Any"), JavaVersion());
    EXPECT_EQ(maximumBound(L"any "), JavaVersion());
    EXPECT_EQ(maximumBound(L""), JavaVersion());
    EXPECT_EQ(maximumBound(L"2147483648"), JavaVersion());
}

}  // namespace
