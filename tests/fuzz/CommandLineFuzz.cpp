#include "util/CommandLine.h"

#include "FuzzText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzzText(data, size);
    const std::vector<std::wstring> args = splitCommandLine(text);

    size_t total = 0;
    std::wstring joined;
    for (const std::wstring& arg : args) {
        total += arg.size();
        // Quoted arguments hold no quote, unquoted ones no space.
        if (arg.find(L' ') != std::wstring::npos && arg.find(L'"') != std::wstring::npos) __builtin_trap();
        joined += arg;
    }
    if (total > text.size()) __builtin_trap();
    if (text.empty() != args.empty()) __builtin_trap();

    // Without quotes the arguments are the text minus its spaces.
    if (text.find(L'"') == std::wstring::npos) {
        std::wstring withoutSpaces;
        for (wchar_t c : text) {
            if (c != L' ') withoutSpaces += c;
        }
        if (joined != withoutSpaces) __builtin_trap();
    }

    // White space around the whole command line never changes the result.
    if (argumentsFromCommandLine(text) != argumentsFromCommandLine(L" \t" + text + L"\r\n ")) __builtin_trap();
    return 0;
}
