#include "util/TextSplit.h"

std::vector<std::wstring> splitAtSeparator(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t begin = 0;
    for (size_t at = text.find(separator); at != std::wstring::npos; at = text.find(separator, begin)) {
        pieces.push_back(text.substr(begin, at - begin));
        begin = at + separator.size();
        if (begin >= text.size()) return pieces;
    }
    pieces.push_back(text.substr(begin));
    return pieces;
}
