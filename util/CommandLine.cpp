#include "util/CommandLine.h"

#include <cwctype>

namespace {

size_t skipSpaces(const std::wstring& text, size_t pos) {
    while (pos < text.size() && text[pos] == L' ') ++pos;
    return pos;
}

}  // namespace

std::vector<std::wstring> splitCommandLine(const std::wstring& text) {
    std::vector<std::wstring> args;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = 0;
        if (text[pos] == L'"') {
            end = text.find(L'"', pos + 1);
            if (end == std::wstring::npos) {
                args.push_back(text.substr(pos + 1));
                break;
            }
            args.push_back(text.substr(pos + 1, end - pos - 1));
        } else {
            end = text.find(L' ', pos);
            if (end == std::wstring::npos) {
                args.push_back(text.substr(pos));
                break;
            }
            args.push_back(text.substr(pos, end - pos));
        }
        pos = skipSpaces(text, end + 1);
    }
    return args;
}

std::vector<std::wstring> argumentsFromCommandLine(const std::wstring& commandLine) {
    size_t begin = 0;
    size_t end = commandLine.size();
    while (begin < end && std::iswspace(static_cast<std::wint_t>(commandLine[begin]))) ++begin;
    while (end > begin && std::iswspace(static_cast<std::wint_t>(commandLine[end - 1]))) --end;
    std::vector<std::wstring> args = splitCommandLine(commandLine.substr(begin, end - begin));
    if (!args.empty()) args.erase(args.begin());
    return args;
}

bool asksForNoSplash(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& argument : arguments)
        if (argument == L"-nosplash" || argument == L"/nosplash") return true;
    return false;
}
