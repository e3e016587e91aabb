#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The machine's memory figures that relative sizes refer to.
struct MemoryFigures {
    std::uint64_t totalPhysicalBytes = 0;     // "p": physical memory
    std::uint64_t availableVirtualBytes = 0;  // "t": address space still free in this process
};

// The figures a relative size refers to in this process: the 32-bit launcher
// takes at most 2 GiB of physical memory as its base.
MemoryFigures memoryFiguresForProcess(const MemoryFigures& machine, bool process32Bit);

// True for "-Xms", "-Xmx" or "-Xss" (exact case) with a last character of
// "p", "P", "t" or "T": a size relative to the machine's memory.
bool isRelativeMemoryOption(const std::wstring& text);

// The digit groups of a parameter.
struct NumberGroups {
    size_t prefixLength = 0;             // text before the first digit or ":"
    std::vector<std::int32_t> numbers;   // ":"-separated, wrapping like 32-bit ints
};

// Reads the ":"-separated numbers after the prefix; the last character (the
// unit letter) is never read, other characters are skipped.
NumberGroups parseNumberGroups(const std::wstring& text);

// Rewrites a relative size such as -Xmx50:256:1024p (50 %, at least 256 MiB,
// at most 1024 MiB) into a fixed size in KiB, such as -Xmx524288K. Sizes
// beyond 32 bits of KiB saturate.
void applyRelativeMemorySize(std::wstring& text, const MemoryFigures& memory);

// The stack size in bytes that a "-Xss" parameter asks for (k, m and g units,
// or plain bytes), at most 4 GiB - 1; 0 when the parameter has no such form.
std::uint32_t stackSizeFromOption(const std::wstring& text);
