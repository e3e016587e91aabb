#include "jvm/MemorySize.h"

#include <gtest/gtest.h>

namespace {

const std::uint64_t kGiB = 1024ull * 1024 * 1024;

std::wstring rewritten(std::wstring text, MemoryFigures memory) {
    applyRelativeMemorySize(text, memory);
    return text;
}

}  // namespace

TEST(RelativeMemory, RecognisesOnlyTheThreeSizeOptionsInExactCase) {
    EXPECT_TRUE(isRelativeMemoryOption(L"-Xmx50p"));
    EXPECT_TRUE(isRelativeMemoryOption(L"-Xms25T"));
    EXPECT_TRUE(isRelativeMemoryOption(L"-Xss10P"));
    EXPECT_TRUE(isRelativeMemoryOption(L"-Xmxp"));
    EXPECT_FALSE(isRelativeMemoryOption(L"-XMX50p"));
    EXPECT_FALSE(isRelativeMemoryOption(L"-Xmx512m"));
    EXPECT_FALSE(isRelativeMemoryOption(L"-Xmn50p"));
    EXPECT_FALSE(isRelativeMemoryOption(L"-Xm"));
}

TEST(RelativeMemory, ShareOfPhysicalMemoryWithBounds) {
    MemoryFigures twoGiB{2 * kGiB, 0};
    EXPECT_EQ(rewritten(L"-Xmx10p", twoGiB), L"-Xmx209715K");
    EXPECT_EQ(rewritten(L"-Xmx10:512p", twoGiB), L"-Xmx524288K");
    EXPECT_EQ(rewritten(L"-Xmx90:0:1024p", twoGiB), L"-Xmx1048576K");
    EXPECT_EQ(rewritten(L"-Xmx10:0:1024p", twoGiB), L"-Xmx209715K");
    // The lower bound wins over the upper one.
    EXPECT_EQ(rewritten(L"-Xmx90:2048:1024p", twoGiB), L"-Xmx2097152K");
}

TEST(RelativeMemory, FreeAddressSpaceForT) {
    MemoryFigures memory{64 * kGiB, 2 * kGiB};
    EXPECT_EQ(rewritten(L"-Xms25t", memory), L"-Xms524288K");
    EXPECT_EQ(rewritten(L"-Xms25p", memory), L"-Xms16777216K");
}

TEST(RelativeMemory, LargeMachinesDoNotWrap) {
    // 64 GiB: more than 32 bits of bytes; the KiB figure still fits.
    MemoryFigures memory{64 * kGiB, 0};
    EXPECT_EQ(rewritten(L"-Xmx50p", memory), L"-Xmx33554432K");
    // A share above 4 TiB saturates instead of wrapping to a small size.
    MemoryFigures huge{16384 * kGiB, 0};
    EXPECT_EQ(rewritten(L"-Xmx100p", huge), L"-Xmx4294967295K");
}

TEST(RelativeMemory, DegenerateForms) {
    MemoryFigures twoGiB{2 * kGiB, 0};
    EXPECT_EQ(rewritten(L"-Xmxp", twoGiB), L"-Xmxp0K");
    EXPECT_EQ(rewritten(L"-Xmx0:256p", twoGiB), L"-Xmx262144K");
    EXPECT_EQ(rewritten(L"-Xmx0p", twoGiB), L"-Xmx0K");
}

TEST(NumberGroups, PrefixAndGroups) {
    NumberGroups groups = parseNumberGroups(L"-Xmx50:256:1024p");
    EXPECT_EQ(groups.prefixLength, 4u);
    EXPECT_EQ(groups.numbers, (std::vector<std::int32_t>{50, 256, 1024}));

    // The last character is never read; other characters are skipped.
    EXPECT_EQ(parseNumberGroups(L"-Xmx12a3").numbers, (std::vector<std::int32_t>{12}));
    EXPECT_EQ(parseNumberGroups(L"-Xmx:5p").numbers, (std::vector<std::int32_t>{0, 5}));
    NumberGroups none = parseNumberGroups(L"-Xmxp");
    EXPECT_EQ(none.prefixLength, 5u);
    EXPECT_TRUE(none.numbers.empty());
    // Overflow wraps like a 32-bit number.
    EXPECT_EQ(parseNumberGroups(L"4294967297x").numbers, (std::vector<std::int32_t>{1}));
}

TEST(StackSize, UnitsAndPlainBytes) {
    EXPECT_EQ(stackSizeFromOption(L"-Xss1m"), 1048576u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss512k"), 524288u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss512K"), 524288u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss2048"), 2048u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss1G"), 1073741824u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss5"), 5u);
}

TEST(StackSize, MalformedFormsGiveZero) {
    EXPECT_EQ(stackSizeFromOption(L"-Xss"), 0u);
    EXPECT_EQ(stackSizeFromOption(L"-Xssk"), 0u);
    EXPECT_EQ(stackSizeFromOption(L"-Xss1:2k"), 0u);
    EXPECT_EQ(stackSizeFromOption(L"-Xssx1m"), 0u);
    EXPECT_EQ(stackSizeFromOption(L"-Xmx1m"), 0u);
}

TEST(StackSize, SaturatesInsteadOfWrapping) {
    // 0 would mean "the runtime's default": a huge request must not become that.
    EXPECT_EQ(stackSizeFromOption(L"-Xss4g"), 0xFFFFFFFFu);
    EXPECT_EQ(stackSizeFromOption(L"-Xss4097m"), 0xFFFFFFFFu);
    EXPECT_EQ(stackSizeFromOption(L"-Xss99999999999999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(stackSizeFromOption(L"-Xss3g"), 3221225472u);
}

TEST(RelativeMemory, HugeBoundsSaturate) {
    MemoryFigures twoGiB{2 * kGiB, 0};
    // 4194304 MiB is 2^32 KiB: as a 32-bit product it would be 0.
    EXPECT_EQ(rewritten(L"-Xmx50:0:4194304p", twoGiB), rewritten(L"-Xmx50p", twoGiB));
    EXPECT_EQ(rewritten(L"-Xmx50:4194304p", twoGiB), L"-Xmx4294967295K");
}

TEST(RelativeMemory, ThirtyTwoBitProcessTakesAtMostTwoGiB) {
    MemoryFigures machine{16 * kGiB, 1 * kGiB};
    EXPECT_EQ(rewritten(L"-Xmx25p", memoryFiguresForProcess(machine, true)), L"-Xmx524288K");
    EXPECT_EQ(rewritten(L"-Xmx25p", memoryFiguresForProcess(machine, false)), L"-Xmx4194304K");
    EXPECT_EQ(memoryFiguresForProcess(machine, true).availableVirtualBytes, 1 * kGiB);
    MemoryFigures small{1 * kGiB, 0};
    EXPECT_EQ(memoryFiguresForProcess(small, true).totalPhysicalBytes, 1 * kGiB);
}
