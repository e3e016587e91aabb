#include "util/PeImage.h"

#include "util/PeImageBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::optional<std::uint16_t> machineOf(const std::vector<unsigned char>& image) {
    return imageMachine(image.data(), image.size());
}

void setHeadersOffset(std::vector<unsigned char>& image, std::uint32_t offset) {
    for (int i = 0; i < 4; ++i) image[0x3C + i] = static_cast<unsigned char>(offset >> (8 * i));
}

}  // namespace

TEST(PeImage, ReadsMachineOfX86AndX64Images) {
    EXPECT_EQ(machineOf(buildPeImage(kMachineX86)), kMachineX86);
    EXPECT_EQ(machineOf(buildPeImage(kMachineAmd64)), kMachineAmd64);
    // Headers need not be aligned, and may follow the DOS header at once.
    EXPECT_EQ(machineOf(buildPeImage(kMachineArm64, 0x41)), kMachineArm64);
    EXPECT_EQ(machineOf(buildPeImage(kMachineAmd64, 0x40)), kMachineAmd64);
}

TEST(PeImage, FileHeaderMustLieWhollyInsideTheBytes) {
    auto image = buildPeImage(kMachineAmd64, 0x80);
    image.resize(0x80 + 4 + 20);
    EXPECT_EQ(machineOf(image), kMachineAmd64);
    image.pop_back();
    EXPECT_FALSE(machineOf(image));
    image.resize(0x80 + 5);  // the machine field cut in half
    EXPECT_FALSE(machineOf(image));
    image.resize(0x80 + 2);  // the signature cut
    EXPECT_FALSE(machineOf(image));
}

TEST(PeImage, RejectsHeadersOffsetOutsideTheBytes) {
    auto image = buildPeImage(kMachineX86, 0x80);
    for (std::uint32_t offset : {static_cast<std::uint32_t>(image.size()),
                                 static_cast<std::uint32_t>(image.size() + 1), 0x7FFFFFFFu,
                                 0x80000000u,   // negative as a signed e_lfanew
                                 0xFFFFFFFCu,   // -4: would land before the image
                                 0xFFFFFFF0u,   // offset + header size wraps to a small value
                                 0xFFFFFFFFu}) {
        setHeadersOffset(image, offset);
        EXPECT_FALSE(machineOf(image)) << std::hex << offset;
    }
}

TEST(PeImage, RejectsWrongSignatures) {
    auto badDos = buildPeImage(kMachineX86);
    badDos[0] = 'Z';
    badDos[1] = 'M';
    EXPECT_FALSE(machineOf(badDos));

    auto newExecutable = buildPeImage(kMachineX86);
    newExecutable[0x80] = 'N';
    newExecutable[0x81] = 'E';
    EXPECT_FALSE(machineOf(newExecutable));

    auto badPe = buildPeImage(kMachineX86);
    badPe[0x83] = 1;  // "PE\0\1"
    EXPECT_FALSE(machineOf(badPe));
}

TEST(PeImage, RejectsTextAndTooShortInput) {
    const std::string text =
        "[Application]\r\nMain Class=com.example.App\r\nClass Path=lib\\*.jar\r\n"
        "; a configuration file is no image, whatever its length may be\r\n";
    EXPECT_FALSE(imageMachine(reinterpret_cast<const unsigned char*>(text.data()), text.size()));

    auto image = buildPeImage(kMachineX86);
    EXPECT_FALSE(imageMachine(image.data(), 0x3F));  // e_lfanew itself cut off
    EXPECT_FALSE(imageMachine(image.data(), 2));
    EXPECT_FALSE(imageMachine(image.data(), 0));
    EXPECT_FALSE(imageMachine(nullptr, 0));
}

TEST(PeImage, ForeignMeansOtherThanTheBuildsOwnMachine) {
    EXPECT_FALSE(isForeignMachine(kMachineX86, kMachineX86));
    EXPECT_TRUE(isForeignMachine(kMachineAmd64, kMachineX86));
    EXPECT_TRUE(isForeignMachine(kMachineX86, kMachineAmd64));
    EXPECT_FALSE(isForeignMachine(kMachineAmd64, kMachineAmd64));
    EXPECT_TRUE(isForeignMachine(kMachineArm64, kMachineAmd64));
    EXPECT_TRUE(isForeignMachine(0x0200, kMachineX86));  // Itanium

#if defined(__i386__) || defined(_M_IX86)
    EXPECT_EQ(ownImageMachine(), kMachineX86);
#elif defined(__x86_64__) || defined(_M_X64)
    EXPECT_EQ(ownImageMachine(), kMachineAmd64);
#endif
}
