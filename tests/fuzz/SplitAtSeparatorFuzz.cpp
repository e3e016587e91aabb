#include "util/TextSplit.h"

#include "FuzzText.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The first byte gives the separator's length (0 to 3 characters), taken
// from the start of the text, so separators and text share characters.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::wstring all = fuzzText(data + 1, size - 1);
    const size_t separatorLength = data[0] % 4 < all.size() ? data[0] % 4 : all.size();
    const std::wstring separator = all.substr(0, separatorLength);
    const std::wstring text = all.substr(separatorLength);

    const std::vector<std::wstring> pieces = splitAtSeparator(text, separator);
    if (text.empty()) {
        if (!pieces.empty()) __builtin_trap();
        return 0;
    }
    if (pieces.empty()) __builtin_trap();

    std::wstring joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) joined += separator;
        joined += pieces[i];
        if (!separator.empty() && pieces[i].find(separator) != std::wstring::npos) __builtin_trap();
    }
    // A trailing separator is dropped, nothing else is lost.
    if (joined != text && joined + separator != text) __builtin_trap();
    return 0;
}
