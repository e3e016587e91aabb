#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Machine values of a PE file header.
constexpr std::uint16_t kMachineX86 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;

// The machine this build of the launcher runs as: the 32-bit launcher loads
// only x86 DLLs, its 64-bit sibling only x64 DLLs. ARM64EC code runs in an
// x64 process and therefore counts as x64.
constexpr std::uint16_t ownImageMachine() {
#if defined(_M_ARM64) || defined(__aarch64__)
    return kMachineArm64;
#elif defined(_M_X64) || defined(_M_AMD64) || defined(__x86_64__)
    return kMachineAmd64;
#else
    return kMachineX86;
#endif
}

// The Machine field of a PE image held in the size bytes at data, found the
// way the system's ImageNtHeader finds the NT headers: "MZ" at the start, the
// headers' offset at 0x3C, "PE\0\0" there, followed by the file header. Empty
// when any of these is missing or does not lie wholly inside the bytes.
std::optional<std::uint16_t> imageMachine(const unsigned char* data, std::size_t size);

// True when an image for machine cannot be loaded by a process of ownMachine.
constexpr bool isForeignMachine(std::uint16_t machine, std::uint16_t ownMachine) {
    return machine != ownMachine;
}
