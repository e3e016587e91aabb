#include "launcher/ProfileFile_win.h"

#include "util/Trace.h"

#include "launcher/LayeredRead.h"
#include "util/Paths.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

unsigned long ProfileFile::probeReadable(unsigned char (&buffer)[4]) {
    UniqueFile file(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return GetLastError();
    return 0;
}

void ProfileFile::readString(const std::wstring& section, const std::wstring& key,
                             std::wstring& value) {
    // The profile API cuts a value to the buffer and then returns size - 1;
    // that answer may mean "cut", so ask again with twice the room.
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", &buffer[0],
                                                size, path_.c_str());
        if (length != size - 1) {
            buffer.resize(length);
            break;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
    if (tracing() && !buffer.empty())
        trace(L"config " + path_ + L" [" + section + L"] " + key + L"=" + buffer);
    value = buffer;
}

void ProfileFile::readSectionNames(std::vector<std::wstring>& names) {
    names.clear();
    std::wstring buffer(256, L'\0');
    DWORD length;
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        length = GetPrivateProfileSectionNamesW(&buffer[0], size, path_.c_str());
        if (length != size - 2) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    size_t start = 0;
    for (size_t i = 0; i < length && i < buffer.size(); ++i) {
        if (buffer[i] != L'\0') continue;
        if (i > start) names.push_back(buffer.substr(start, i - start));
        start = i + 1;
    }
    if (start < length) names.push_back(buffer.substr(start, length - start));
}

bool ProfileFile::writeString(const std::wstring& section, const std::wstring& key,
                              const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                      path_.c_str()) != FALSE;
}

bool ProfileFile::deleteFile() {
    return DeleteFileW(path_.c_str()) != FALSE;
}

void LayeredProfileFile::readString(const std::wstring& section, const std::wstring& key,
                                    std::wstring& value) {
    value = layeredValue(*this, section, key,
                         [this](const std::wstring& s, const std::wstring& k) {
                             std::wstring fileValue;
                             ProfileFile::readString(s, k, fileValue);
                             return fileValue;
                         });
}

unsigned long configFileProblem(const std::wstring& path) {
    // Shared like the profile API shares it, so that an editor that merely
    // has the file open is no problem.
    UniqueFile file(CreateFileW(applyLongPathRule(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? 0 : error;
    }
    // The profile API takes no long-path prefix.
    if (path.size() >= kMaxPathLength) return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}
