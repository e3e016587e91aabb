#include "jvm/VmOptions.h"

namespace {

const size_t npos = std::wstring::npos;

}  // namespace

size_t findParameterEnd(const std::wstring& text, size_t start) {
    if (start >= text.size()) return text.size();
    size_t space = text.find(L' ', start);
    size_t quote = text.find(L'"', start);
    while (quote != npos) {
        if (space == npos) return text.size();
        if (space < quote) return space;
        size_t close = text.find(L'"', quote + 1);
        if (close == npos) return space;
        if (close + 1 < text.size() && text[close + 1] == L'"') ++close;
        quote = text.find(L'"', close + 1);
        space = text.find(L' ', close + 1);
    }
    return space == npos ? text.size() : space;
}

void stripQuotePairs(std::wstring& text) {
    size_t position = 0;
    for (;;) {
        size_t open = text.find(L'"', position);
        if (open == npos || open + 1 >= text.size()) return;
        size_t close = text.find(L'"', open + 1);
        if (close == npos) return;
        // A doubled quote: the first stays as a literal, the second closes.
        if (close + 1 < text.size() && text[close + 1] == L'"') ++close;
        text.erase(close, 1);
        text.erase(open, 1);
        position = close - 1;
    }
}

std::vector<std::wstring> splitVmParameters(const std::wstring& text) {
    std::vector<std::wstring> parameters;
    size_t position = 0;
    while (position < text.size() && text[position] == L' ') ++position;
    while (position < text.size()) {
        size_t end = findParameterEnd(text, position);
        parameters.push_back(text.substr(position, end - position));
        position = end;
        while (position < text.size() && text[position] == L' ') ++position;
    }
    return parameters;
}

void addVmParameter(std::wstring text, const MemoryFigures& memory, std::uint32_t& threadStackSize,
                    std::vector<std::wstring>& target) {
    stripQuotePairs(text);
    if (text.empty()) return;
    if (isRelativeMemoryOption(text)) applyRelativeMemorySize(text, memory);
    if (text.compare(0, 4, L"-Xss") == 0) threadStackSize = stackSizeFromOption(text);
    target.push_back(std::move(text));
}

bool isResolvedOnDisk(const std::wstring& entry) {
    if (entry.find(L'*') != npos || entry.size() < 2) return true;
    bool drivePath = entry[1] == L':';
    bool uncPath = entry[0] == L'\\' && entry[1] == L'\\';
    return !drivePath && !uncPath;
}

void expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder,
                          const DirectoryLister& list, std::wstring& classPath) {
    std::wstring pattern = entry;
    for (wchar_t& c : pattern)
        if (c == L'/') c = L'\\';
    const bool relative =
        pattern.size() < 2 || (pattern[1] != L':' && pattern.compare(0, 2, L"\\\\") != 0);
    if (relative) pattern = launcherFolder + (!pattern.empty() && pattern[0] == L'\\' ? L"" : L"\\") + pattern;
    const size_t slash = pattern.rfind(L'\\');
    const std::wstring folder = slash == npos ? std::wstring() : pattern.substr(0, slash + 1);
    const bool wildcard = pattern.find_first_of(L"*?") != npos;
    for (const FoundFile& found : list(pattern)) {
        if (found.name == L"." || found.name == L"..") continue;
        if (wildcard && found.isDirectory) continue;
        classPath += folder + found.name + L";";
    }
}

namespace {

std::wstring trimmed(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::wstring composeClassPath(const std::vector<std::wstring>& entries,
                              const std::wstring& launcherFolder, const TextExpander& expand,
                              const DirectoryLister& list) {
    std::wstring classPath;
    for (const std::wstring& configured : entries) {
        std::wstring entry = trimmed(configured);
        expand(entry);
        // An empty entry (";;" in the value) names nothing; resolving it would
        // put the launcher's folder itself on the class path.
        if (entry.empty()) continue;
        if (!isResolvedOnDisk(entry)) {
            classPath += entry + L";";
            continue;
        }
        expandClassPathEntry(entry, launcherFolder, list, classPath);
    }
    return classPath;
}
