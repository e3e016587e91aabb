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

namespace {

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::wstring asciiLowered(std::wstring text) {
    for (wchar_t& c : text) c = asciiLower(c);
    return text;
}

}  // namespace

bool equalsIgnoringCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

bool containsIgnoringCase(const std::wstring& text, const std::wstring& part) {
    return asciiLowered(text).find(asciiLowered(part)) != std::wstring::npos;
}
