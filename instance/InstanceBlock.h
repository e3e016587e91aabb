#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The shared block through which a later start of a single-instance
// application hands its arguments to the first one. 2092 bytes, little-endian:
//   0  thread id of the first instance's listener thread
//   4  process id of the first instance
//   8  id of the registered message
//  12  the argument area (2080 bytes), written by each later start
constexpr std::size_t kInstanceBlockSize = 2092;
constexpr std::size_t kListenerThreadOffset = 0;
constexpr std::size_t kFirstProcessOffset = 4;
constexpr std::size_t kMessageIdOffset = 8;
constexpr std::size_t kArgumentAreaOffset = 12;
constexpr std::size_t kArgumentAreaSize = kInstanceBlockSize - kArgumentAreaOffset;
// A later start writes at most this many bytes of the area, terminators
// included; the reader scans the whole area.
constexpr std::size_t kForwardedBytesLimit = 1040;

// The name of the block and of the registered message: the executable's full
// path with every backslash made a slash (a kernel object's name cannot hold
// a backslash, and a path holds no slash, so two paths never share a name),
// nothing else changed: letter case counts.
std::wstring instanceNameOf(const std::wstring& executablePath);
// The event that holds forwarded requests back until main is about to run.
std::wstring readyEventNameOf(const std::wstring& instanceName);
// The mutex that later starts hold, one at a time, from writing the argument
// area until their answer has come, so that none overwrites another's list.
std::wstring forwardLockNameOf(const std::wstring& instanceName);

// The argument list as the area holds it: each argument's UTF-16 units and a
// NUL, then one more NUL. Empty when the encoding takes more than
// kForwardedBytesLimit bytes (nothing is forwarded then).
std::vector<std::uint8_t> encodeInstanceArguments(const std::vector<std::wstring>& arguments);

// The same encoding without the limit, for the request's own mapping.
std::vector<std::uint8_t> encodeAllInstanceArguments(const std::vector<std::wstring>& arguments);

// The list read back from size bytes (any bytes another program may have
// left there): an empty argument ends it; an argument the bytes end in
// without two NULs in a row is dropped. Nothing past size is read.
std::vector<std::wstring> decodeInstanceArguments(const std::uint8_t* bytes, std::size_t size);
// The list read back from an area of kArgumentAreaSize bytes (its last unit
// is never part of the list).
std::vector<std::wstring> decodeInstanceArguments(const std::uint8_t* area);

// A later start of this build also hands its whole list over in a mapping of
// its own, named after the instance and its requesting thread: a 32-bit byte
// count, then the encoded list. lParam of the request says so; the first
// instance takes the list out of it as the request arrives and then tells
// the later start with the "taken" message, so that nothing can overwrite a
// request and no request is read twice.
constexpr std::uintptr_t kArgumentsInRequestMapping = 1;
constexpr std::size_t kRequestMappingHeader = 4;
// More than any command line can hold (32,767 characters).
constexpr std::size_t kRequestBytesLimit = 1 << 20;
std::wstring requestMappingNameOf(const std::wstring& instanceName, std::uint32_t requesterThread);
// The message the first instance posts to a later start once it has taken
// its arguments (wParam 0): the later start gives up its turn then. With
// wParam kTakenWillNotServe it says that it will not serve the request (the
// main class has no secondaryMain): the later start then ends when the first
// instance ends, with its exit code.
std::wstring takenMessageNameOf(const std::wstring& instanceName);
constexpr std::uintptr_t kTakenWillNotServe = 1;
// lParam of an answer that says the later start was not served (the first
// instance is ending, or runs no VM): the later start runs the application
// itself. wParam is then -1, which a later start of an earlier build ends with.
constexpr std::uintptr_t kAnswerNotServed = 1;

// Little-endian 32-bit header fields.
std::uint32_t readBlockWord(const std::uint8_t* block, std::size_t offset);
void writeBlockWord(std::uint8_t* block, std::size_t offset, std::uint32_t value);
