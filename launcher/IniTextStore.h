#pragma once

#include "launcher/SettingsStore.h"

#include <string>
#include <utility>
#include <vector>

// Settings held in memory, filled from INI text. Section and key names match
// exactly, letter case included; names may repeat, and every lookup takes the
// first match.
class IniTextStore : public SettingsStore {
public:
    // Replaces the contents with the sections of text. Lines end only at
    // CR LF; a byte order mark before the first line is dropped. A line is a
    // section header when, without its leading and trailing characters up to
    // U+0020, it starts with "[" and ends with "]"; the name between is kept
    // as written. Under a header, a line with "=" is a key and a value, both
    // trimmed of white space; every other line is ignored. There are no
    // comments: ";key=value" defines the key ";key".
    void loadText(const std::wstring& text);

    // Tells whether section and key both exist; when they do, value gets the
    // value, otherwise it is left as it was.
    bool find(const std::wstring& section, const std::wstring& key, std::wstring& value) const;

    // Always 1, with the buffer zeroed: there is no file to read.
    unsigned long probeReadable(unsigned char (&buffer)[4]) override;

    // Sets value only when section and key exist.
    void readString(const std::wstring& section, const std::wstring& key,
                    std::wstring& value) override;

    // Every section name in order, repeated and empty names included.
    void readSectionNames(std::vector<std::wstring>& names) override;

    // Appends the pair to the first section of that name, or to a new section
    // at the end; an existing equal key keeps its value. Always true.
    bool writeString(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;

    // False, and nothing changes: a store in memory has no file to delete.
    bool deleteFile() override;

private:
    struct Section {
        std::wstring name;
        std::vector<std::pair<std::wstring, std::wstring>> entries;
    };

    const Section* findSection(const std::wstring& name) const;

    std::vector<Section> sections_;
};
