#include "launcher/EmbeddedSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void putU32(std::vector<unsigned char>& block, size_t value) {
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<unsigned char>(value >> shift));
}

// A block as the branding tool writes it; entries are UTF-8 (code, text).
std::vector<unsigned char> blockOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<unsigned char> block = {'L', 'S', 'E', 'T'};
    putU32(block, 1);
    putU32(block, entries.size());
    for (const auto& entry : entries) {
        for (const std::string* part : {&entry.first, &entry.second}) {
            putU32(block, part->size());
            block.insert(block.end(), part->begin(), part->end());
        }
    }
    return block;
}

std::wstring select(const std::vector<unsigned char>& block, const std::wstring& code) {
    return selectEmbeddedSettings(block.data(), block.size(), code);
}

const std::string kText = "[Java Runtime Environment]\r\nMain Class=com.example.\xc5\x81\xc3\xb3" "d\xc5\xba\r\n";

}  // namespace

TEST(EmbeddedSettings, TheEntryOfTheUpgradeCodeIsTakenWhateverItsLetterCase) {
    const auto block = blockOf({{"", "[Application]\r\n"}, {"{8f1e-ab}", kText}});
    EXPECT_EQ(select(block, L"{8F1E-AB}"), L"[Java Runtime Environment]\r\nMain Class=com.example.\u0141\u00f3d\u017a\r\n");
    EXPECT_EQ(select(block, L""), L"[Application]\r\n");
    EXPECT_EQ(select(block, L"{other}"), L"");
}

TEST(EmbeddedSettings, TextOutsideTheBasicPlaneSurvives) {
    const auto block = blockOf({{"", "x=\xf0\x9f\x98\x80"}});
    EXPECT_EQ(select(block, L"").size(), sizeof(wchar_t) == 2 ? 4u : 3u);
}

TEST(EmbeddedSettings, ACutOrGarbledBlockGivesNothingAndReadsNothingBeyondIt) {
    const auto block = blockOf({{"", kText}});
    for (size_t size = 0; size < block.size(); ++size) {
        // A copy of exactly size bytes, so that the sanitizer sees any read beyond.
        std::vector<unsigned char> cut(block.begin(), block.begin() + size);
        EXPECT_EQ(select(cut, L""), L"") << size;
    }
    auto badVersion = block;
    badVersion[4] = 2;
    EXPECT_EQ(select(badVersion, L""), L"");
    auto badUtf8 = blockOf({{"", "Main Class=\xc3"}});
    EXPECT_EQ(select(badUtf8, L""), L"");
    auto hugeLength = block;
    hugeLength[12] = hugeLength[13] = hugeLength[14] = hugeLength[15] = 0xFF;
    EXPECT_EQ(select(hugeLength, L""), L"");
}
