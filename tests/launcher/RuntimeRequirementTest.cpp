#include "launcher/RuntimeRequirement.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const wchar_t* minimum;
    const wchar_t* maximum;
    unsigned id;
    std::vector<std::wstring> arguments;
};

}  // namespace

TEST(RuntimeRequirement, SentenceForEachPairOfBounds) {
    const Case cases[] = {
        {L"any", L"any", IDS_REQUIRE_LATEST, {}},
        {L"", L"", IDS_REQUIRE_LATEST, {}},
        {L"1.8", L"any", IDS_REQUIRE_MINIMUM, {L"1.8"}},
        {L"1.8", L"", IDS_REQUIRE_MINIMUM, {L"1.8"}},
        {L"0", L"11", IDS_REQUIRE_MAXIMUM, {L"11.0"}},
        {L"1.8", L"1.8", IDS_REQUIRE_EXACT, {L"1.8"}},
        {L"1.6", L"1.8", IDS_REQUIRE_RANGE, {L"1.6", L"1.8"}},
        {L"1.8.0_231", L"17", IDS_REQUIRE_RANGE, {L"1.8.0.231", L"17.0"}},
    };
    for (const Case& c : cases) {
        ComposedText text = requirementSentence(minimumBound(c.minimum), maximumBound(c.maximum));
        EXPECT_EQ(text.id, c.id) << c.minimum << " " << c.maximum;
        EXPECT_EQ(text.arguments, c.arguments) << c.minimum << " " << c.maximum;
    }
    EXPECT_EQ(runtimeNotFoundMessageId(1), static_cast<unsigned>(IDS_JRE_NOT_FOUND_SERVER));
    EXPECT_EQ(runtimeNotFoundMessageId(0), static_cast<unsigned>(IDS_JRE_NOT_FOUND));
    EXPECT_EQ(runtimeNotFoundMessageId(2), static_cast<unsigned>(IDS_JRE_NOT_FOUND));
}
