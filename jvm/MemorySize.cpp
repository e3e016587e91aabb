#include "jvm/MemorySize.h"

#include <algorithm>

namespace {

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// n * 10 + digit in 32 bits, wrapping as the numbers of a parameter do.
std::int32_t appendDigit(std::int32_t n, wchar_t digit) {
    std::uint32_t value = static_cast<std::uint32_t>(n) * 10u + static_cast<std::uint32_t>(digit - L'0');
    return static_cast<std::int32_t>(value);
}

constexpr std::uint64_t kLargest32 = 0xFFFFFFFFu;

std::uint32_t saturate32(std::uint64_t value) {
    return static_cast<std::uint32_t>(std::min(value, kLargest32));
}

std::uint32_t kibFromMib(std::uint32_t mib) {
    return saturate32(static_cast<std::uint64_t>(mib) * 1024u);
}

}  // namespace

MemoryFigures memoryFiguresForProcess(const MemoryFigures& machine, bool process32Bit) {
    // A 32-bit process is told of at most 2 GiB of physical memory, and its
    // VM could not reserve more heap than that anyway.
    constexpr std::uint64_t kLargest32BitPhysical = 2ull << 30;
    MemoryFigures figures = machine;
    if (process32Bit) figures.totalPhysicalBytes = std::min(figures.totalPhysicalBytes, kLargest32BitPhysical);
    return figures;
}

bool isRelativeMemoryOption(const std::wstring& text) {
    if (text.size() < 5) return false;
    std::wstring head = text.substr(0, 4);
    if (head != L"-Xms" && head != L"-Xmx" && head != L"-Xss") return false;
    wchar_t unit = text.back();
    return unit == L'p' || unit == L'P' || unit == L't' || unit == L'T';
}

NumberGroups parseNumberGroups(const std::wstring& text) {
    NumberGroups groups;
    size_t start = 0;
    while (start < text.size() && !isDigit(text[start]) && text[start] != L':') ++start;
    groups.prefixLength = start;
    if (start == text.size()) return groups;
    groups.numbers.push_back(0);
    for (size_t i = start; i + 1 < text.size(); ++i) {
        if (isDigit(text[i]))
            groups.numbers.back() = appendDigit(groups.numbers.back(), text[i]);
        else if (text[i] == L':')
            groups.numbers.push_back(0);
    }
    return groups;
}

void applyRelativeMemorySize(std::wstring& text, const MemoryFigures& memory) {
    NumberGroups groups = parseNumberGroups(text);
    auto number = [&groups](size_t i) {
        return i < groups.numbers.size() ? static_cast<std::uint32_t>(groups.numbers[i]) : 0u;
    };
    std::uint32_t percent = number(0);
    std::uint32_t lowerMiB = number(1);
    std::uint32_t upperMiB = number(2);

    wchar_t unit = text.back();
    std::uint64_t baseBytes = (unit == L't' || unit == L'T') ? memory.availableVirtualBytes
                                                             : memory.totalPhysicalBytes;
    double share = static_cast<double>(baseBytes >> 10) * (percent / 100.0);
    // Sizes that do not fit 32 bits of KiB stay at the largest one that can
    // be written instead of wrapping to a small or zero size; the bounds too.
    std::uint32_t value = share >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(share);
    if (upperMiB != 0) value = std::min(value, kibFromMib(upperMiB));
    value = std::max(kibFromMib(lowerMiB), value);

    text = text.substr(0, groups.prefixLength) + std::to_wstring(value) + L"K";
}

std::uint32_t stackSizeFromOption(const std::wstring& text) {
    if (text.compare(0, 4, L"-Xss") != 0) return 0;
    std::wstring rest = text.substr(4);
    NumberGroups groups = parseNumberGroups(rest);
    if (groups.prefixLength != 0 || groups.numbers.size() != 1) return 0;
    std::uint32_t multiplier = 1;
    switch (rest.back()) {
    case L'G': case L'g': multiplier = 0x40000000u; break;
    case L'K': case L'k': multiplier = 1024u; break;
    case L'M': case L'm': multiplier = 0x100000u; break;
    default: break;
    }
    // Sizes beyond 32 bits saturate: -Xss4g must not become 0, which would
    // mean "the runtime's default".
    std::uint64_t n = 0;
    for (size_t i = 0; i + (multiplier == 1 ? 0 : 1) < rest.size(); ++i) {
        if (!isDigit(rest[i])) continue;
        n = std::min<std::uint64_t>(n * 10u + static_cast<std::uint64_t>(rest[i] - L'0'), kLargest32 + 1);
    }
    return saturate32(n * multiplier);
}
