#include "jvm/JavaStart_win.h"

#include "jvm/AnsiOptions.h"
#include "util/AnsiText_win.h"
#include "util/Environment_win.h"
#include "util/FileSystem_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

std::vector<FoundFile> listMatches(const std::wstring& pattern) {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAW data;
    UniqueFind search(FindFirstFileW(pattern.c_str(), &data));
    if (!search) return found;
    do {
        found.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search.get(), &data));
    return found;
}

MemoryFigures processMemory() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    MemoryFigures memory;
    if (GlobalMemoryStatusEx(&status)) {
        memory.totalPhysicalBytes = status.ullTotalPhys;
        memory.availableVirtualBytes = status.ullAvailVirtual;
    }
    return memoryFiguresForProcess(memory, sizeof(void*) == 4);
}

std::wstring currentFolder() {
    DWORD needed = GetCurrentDirectoryW(0, nullptr);
    while (needed > 0) {
        std::wstring folder(needed, L'\0');
        const DWORD length = GetCurrentDirectoryW(needed, &folder[0]);
        if (length == 0) break;
        if (length < needed) {
            folder.resize(length);
            return folder;
        }
        needed = length;
    }
    return std::wstring();
}

void applyEnvironment(const JavaStartPlan& plan) {
    for (const EnvironmentChange& change : plan.environment)
        SetEnvironmentVariableW(change.name.c_str(), change.value.c_str());
}

bool javaMainPlanOf(const JavaStartPlan& plan, JavaMainPlan& main, std::wstring& refused) {
    CodePageProbes probes;
    probes.fits = fitsAnsi;
    probes.shortName = shortPathOf;
    FittedOptions fitted = fitOptionsToCodePage(plan.options, probes);
    if (!fitted.refused.empty()) {
        refused = fitted.refused;
        return false;
    }
    main.options.reserve(fitted.options.size());
    for (const std::wstring& option : fitted.options) main.options.push_back(toAnsi(option));
    main.lateProperties = std::move(fitted.lateProperties);
    main.streams = plan.streams;
    main.main = plan.main;
    main.destroyAfterMain = plan.destroyAfterMain;
    return true;
}
