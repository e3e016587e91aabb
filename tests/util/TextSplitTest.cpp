#include "util/TextSplit.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const wchar_t* text;
    const wchar_t* separator;
    std::vector<std::wstring> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << testing::PrintToString(std::wstring(c.text));
}

class TextSplitPieces : public testing::TestWithParam<SplitCase> {};

TEST_P(TextSplitPieces, AtSeparator) {
    EXPECT_EQ(splitAtSeparator(GetParam().text, GetParam().separator), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(TextSplit, TextSplitPieces, testing::Values(
    SplitCase{L"1.8;;1.7;", L";", {L"1.8", L"", L"1.7"}},
    SplitCase{L";1.8", L";", {L"", L"1.8"}},
    SplitCase{L"1.8", L";", {L"1.8"}},
    SplitCase{L"", L";", {}},
    SplitCase{L";", L";", {L""}},
    SplitCase{L" a ; b ", L";", {L" a ", L" b "}},
    SplitCase{L"a::b::", L"::", {L"a", L"b"}},
    SplitCase{L":::", L"::", {L"", L":"}},
    SplitCase{L"a;b", L"", {L"a;b"}}));

}  // namespace
