#pragma once

#include "launcher/IniTextStore.h"
#include "launcher/SettingsStore.h"

#include <string>

// A configuration file read and written through the Windows profile API:
// section and key names ignore letter case, values come back with white
// space at both ends and one pair of enclosing quotes removed.
class ProfileFile : public SettingsStore {
public:
    explicit ProfileFile(std::wstring path) : path_(std::move(path)) {}

    // 0 when four bytes of the file can be read, else the Windows error.
    unsigned long probeReadable(unsigned char (&buffer)[4]) override;
    // The whole value, however long; "" for a missing key or file.
    void readString(const std::wstring& section, const std::wstring& key,
                    std::wstring& value) override;
    void readSectionNames(std::vector<std::wstring>& names) override;
    bool writeString(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;
    bool deleteFile() override;

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// A configuration file over embedded base settings: a value in the file
// replaces the base value, a value in the file's "section+" extends it.
class LayeredProfileFile : public ProfileFile, public IniTextStore {
public:
    LayeredProfileFile(std::wstring path, const std::wstring& baseText)
        : ProfileFile(std::move(path)) {
        loadText(baseText);
    }

    void readString(const std::wstring& section, const std::wstring& key,
                    std::wstring& value) override;

    // The store to hand to readers that take a SettingsStore.
    SettingsStore& store() { return static_cast<ProfileFile&>(*this); }
};

// Why the configuration file at path cannot be read by the profile API, as a
// Windows error: 0 when it can, and also when it does not exist (a missing
// file reads as empty). A file that is locked or whose path is too long for
// the profile API (ERROR_FILENAME_EXCED_RANGE) gives its error.
unsigned long configFileProblem(const std::wstring& path);
