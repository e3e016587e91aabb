#include "launcher/IniTextStore.h"

#include <cwctype>

namespace {

// Control characters and the space; wchar_t may be signed, so compare the
// code as unsigned.
bool isBlankOrControl(wchar_t c) {
    return static_cast<unsigned long>(c) <= 0x20;
}

bool isWhiteSpace(wchar_t c) {
    return std::iswspace(static_cast<std::wint_t>(c)) != 0;
}

std::wstring trimWhiteSpace(const std::wstring& text, size_t begin, size_t end) {
    while (begin < end && isWhiteSpace(text[begin])) ++begin;
    while (end > begin && isWhiteSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

void IniTextStore::loadText(const std::wstring& text) {
    sections_.clear();
    bool haveSection = false;
    size_t lineStart = 0;
    if (!text.empty() && text[0] == static_cast<wchar_t>(0xFEFF)) lineStart = 1;

    while (lineStart <= text.size()) {
        // A lone LF stays inside the line: only CR LF ends one.
        size_t lineEnd = text.find(L"\r\n", lineStart);
        if (lineEnd == std::wstring::npos) lineEnd = text.size();
        const std::wstring line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;

        size_t begin = 0;
        while (begin < line.size() && isBlankOrControl(line[begin])) ++begin;
        size_t end = line.size();
        while (end > begin && isBlankOrControl(line[end - 1])) --end;

        if (begin < end && line[begin] == L'[' && line[end - 1] == L']') {
            sections_.push_back(Section{line.substr(begin + 1, end - begin - 2), {}});
            haveSection = true;
        } else if (haveSection) {
            size_t equals = line.find(L'=', begin);
            if (equals != std::wstring::npos) {
                sections_.back().entries.emplace_back(trimWhiteSpace(line, begin, equals),
                                                      trimWhiteSpace(line, equals + 1, line.size()));
            }
        }
    }
}

const IniTextStore::Section* IniTextStore::findSection(const std::wstring& name) const {
    for (const Section& section : sections_) {
        if (section.name == name) return &section;
    }
    return nullptr;
}

bool IniTextStore::find(const std::wstring& section, const std::wstring& key,
                        std::wstring& value) const {
    const Section* found = findSection(section);
    if (!found) return false;
    for (const auto& entry : found->entries) {
        if (entry.first == key) {
            value = entry.second;
            return true;
        }
    }
    return false;
}

unsigned long IniTextStore::probeReadable(unsigned char (&buffer)[4]) {
    for (unsigned char& b : buffer) b = 0;
    return 1;
}

void IniTextStore::readString(const std::wstring& section, const std::wstring& key,
                              std::wstring& value) {
    find(section, key, value);
}

void IniTextStore::readSectionNames(std::vector<std::wstring>& names) {
    names.clear();
    for (const Section& section : sections_) names.push_back(section.name);
}

bool IniTextStore::writeString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& value) {
    Section* target = nullptr;
    for (Section& s : sections_) {
        if (s.name == section) {
            target = &s;
            break;
        }
    }
    if (!target) {
        sections_.push_back(Section{section, {}});
        target = &sections_.back();
    }
    target->entries.emplace_back(key, value);
    return true;
}

bool IniTextStore::deleteFile() {
    return false;
}
