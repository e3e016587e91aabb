#include "support/StandInFiles_win.h"

#include "support/AppFolder_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

StandInFiles::StandInFiles(const std::wstring& root)
    : recordPath_(root + L"\\record.txt"), scenarioPath_(root + L"\\scenario.ini") {}

bool StandInFiles::writeScenario(const std::wstring& lines) const {
    return AppFolder::writeUtf16File(scenarioPath_, L"[Vm]\n" + lines);
}

std::vector<testjvm::RecordEntry> StandInFiles::readRecord() const {
    UniqueFile file(CreateFileW(recordPath_.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return testjvm::parseRecord(text);
}

void StandInFiles::clearRecord() const { DeleteFileW(recordPath_.c_str()); }

std::vector<std::pair<std::wstring, std::wstring>> StandInFiles::environment() const {
    return {{testjvm::recordVariable, recordPath_}, {testjvm::scenarioVariable, scenarioPath_}};
}
