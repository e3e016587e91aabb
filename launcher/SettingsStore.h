#pragma once

#include <string>
#include <vector>

// A reader (and writer) of one configuration source. Each user of the settings
// constructs the store it needs, reads and destroys it; nothing is cached.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Tells whether the source can be read: 0 when it can, else an error
    // number (the meaning differs per store). Four bytes are read into buffer.
    virtual unsigned long probeReadable(unsigned char (&buffer)[4]) = 0;

    // Looks up section/key. Stores that only know present values leave value
    // as it was when the key is absent; file stores yield "" instead.
    virtual void readString(const std::wstring& section, const std::wstring& key,
                            std::wstring& value) = 0;

    // Replaces names with the section names in their order.
    virtual void readSectionNames(std::vector<std::wstring>& names) = 0;

    virtual bool writeString(const std::wstring& section, const std::wstring& key,
                             const std::wstring& value) = 0;

    virtual bool deleteFile() = 0;
};
