#include "instance/InstanceBlock.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using Area = std::array<std::uint8_t, kArgumentAreaSize>;

Area areaOf(const std::u16string& units) {
    Area area{};
    for (std::size_t i = 0; i < units.size() && 2 * i + 1 < area.size(); ++i) {
        area[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
        area[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
    return area;
}

std::vector<std::wstring> roundTrip(const std::vector<std::wstring>& arguments) {
    const std::vector<std::uint8_t> encoded = encodeInstanceArguments(arguments);
    Area area{};
    std::copy(encoded.begin(), encoded.end(), area.begin());
    return decodeInstanceArguments(area.data());
}

}  // namespace

TEST(InstanceBlock, ArgumentsAreForwardedUpToTheLimitAndReadBackAsTheFirstInstanceSeesThem) {
    // 2 x 519 + 2 bytes: exactly the limit; one unit more is refused.
    const std::wstring longest(518, L'a');
    const std::wstring clef = L"\U0001D11E";  // two UTF-16 units
    struct Case {
        const char* what;
        std::vector<std::wstring> arguments;
        std::size_t encodedBytes;  // 0: refused
        std::vector<std::wstring> delivered;
    } cases[] = {
        {"no arguments: one empty string", {}, 2, {L""}},
        {"ordinary list", {L"a.txt", L"b c"}, 22, {L"a.txt", L"b c"}},
        {"an empty argument ends the list", {L"x", L"", L"y"}, 12, {L"x"}},
        {"1040 bytes are forwarded", {longest}, 1040, {longest}},
        {"1042 bytes are refused", {longest + L"b"}, 0, {}},
        {"many short ones over the limit", std::vector<std::wstring>(300, L"ab"), 0, {}},
        {"a character outside the BMP", {L"\u00e4" + clef}, 10, {L"\u00e4" + clef}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(encodeInstanceArguments(c.arguments).size(), c.encodedBytes);
        if (c.encodedBytes != 0) {
            EXPECT_EQ(roundTrip(c.arguments), c.delivered);
        }
    }

    // Areas no later start of this build writes: the reader stops at two NULs
    // in a row and drops what the area ends in without them.
    std::u16string filled(kArgumentAreaSize / 2, u'z');
    EXPECT_EQ(decodeInstanceArguments(areaOf(filled).data()), std::vector<std::wstring>{});
    filled.replace(0, 4, u"one\0", 4);
    EXPECT_EQ(decodeInstanceArguments(areaOf(filled).data()), std::vector<std::wstring>{L"one"});
    EXPECT_EQ(decodeInstanceArguments(areaOf(std::u16string(u"p\0q\0\0r\0\0", 9)).data()),
              (std::vector<std::wstring>{L"p", L"q"}));
}

TEST(InstanceBlock, NamesComeFromTheExecutablePathAndTheHeaderIsLittleEndian) {
    EXPECT_EQ(instanceNameOf(L"C:\\Apps\\Tool\\tool.exe"), L"C:/Apps/Tool/tool.exe");
    EXPECT_EQ(readyEventNameOf(L"C:/Apps/Tool/tool.exe"), L"C:/Apps/Tool/tool.exe_upr_evt");
    // Two applications whose paths differ only by "\\" and "_" never share an instance.
    EXPECT_NE(instanceNameOf(L"C:\\My_Tools\\App.exe"), instanceNameOf(L"C:\\My\\Tools\\App.exe"));
    EXPECT_NE(instanceNameOf(L"C:\\Apps\\App.exe"), instanceNameOf(L"c:\\apps\\app.exe"));
    std::array<std::uint8_t, kInstanceBlockSize> block{};
    writeBlockWord(block.data(), kMessageIdOffset, 0xC0DE1234u);
    EXPECT_EQ(block[8], 0x34);
    EXPECT_EQ(block[11], 0xC0);
    EXPECT_EQ(readBlockWord(block.data(), kMessageIdOffset), 0xC0DE1234u);
}
