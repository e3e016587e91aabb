#include "util/EnvironmentText.h"

std::wstring expandEnvironmentReferences(const std::wstring& text, const EnvironmentLookup& lookup) {
    std::wstring result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t open = text.find(L'%', position);
        if (open == std::wstring::npos) {
            result.append(text, position, std::wstring::npos);
            break;
        }
        result.append(text, position, open - position);
        const std::size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) {
            result.append(text, open, std::wstring::npos);
            break;
        }
        if (close > open + 1) {
            if (auto value = lookup(text.substr(open + 1, close - open - 1))) {
                result += *value;
                position = close + 1;
                continue;
            }
        }
        // Not a reference: it stays as written, both "%" signs included.
        result.append(text, open, close - open + 1);
        position = close + 1;
    }
    return result;
}
