#pragma once

#include "launcher/IniTextStore.h"

#include <string>

// The layered value of section/key: the base text's value, replaced by the
// file's value when that is not empty, or else extended by the value of the
// file's "section+" (one space between, none when the extension starts with
// one; the space is added even to an empty base value). readFile(section, key)
// reads the file and yields "" for a missing key.
template <typename ReadFile>
std::wstring layeredValue(const IniTextStore& base, const std::wstring& section,
                          const std::wstring& key, ReadFile readFile) {
    std::wstring value;
    base.find(section, key, value);
    std::wstring fileValue = readFile(section, key);
    if (!fileValue.empty()) return fileValue;
    std::wstring extension = readFile(section + L"+", key);
    if (!extension.empty()) {
        if (extension[0] != L' ') value += L' ';
        value += extension;
    }
    return value;
}
