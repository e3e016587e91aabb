#include "jvm/RuntimeEnvironment_win.h"
#include "jvm/VmOptions.h"
#include "launcher/CommandLine.h"
#include "launcher/EmbeddedSettings.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/Launcher_win.h"
#include "launcher/ProfileFile_win.h"
#include "launcher/TextSplit.h"
#include "resources/resource.h"
#include "util/AnsiText_win.h"
#include "util/FileSystem_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

namespace {

std::vector<std::wstring> listMatches(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

MemoryFigures machineMemory() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    MemoryFigures memory;
    if (GlobalMemoryStatusEx(&status)) {
        memory.totalPhysicalBytes = status.ullTotalPhys;
        memory.availableVirtualBytes = status.ullAvailVirtual;
    }
    return memory;
}

}  // namespace

bool Launcher::assembleVmOptions() {
    std::wstring configFile;
    if (!getConfigFilePath(configFile)) return false;
    LayeredProfileFile layered(configFile, embeddedBaseSettings(settings.upgradeCode));
    auto read = [&layered](const wchar_t* section, const wchar_t* key) {
        std::wstring value;
        layered.readString(section, key, value);
        return value;
    };

    std::wstring folder;
    moduleFolder(folder, messageOwner);
    if (!folder.empty()) folder.pop_back();
    std::wstring classPath =
        composeClassPath(splitAtSeparator(read(kClassPathSection, L"Class Path"), L";"), folder,
                         expandEnvironment, listMatches);
    if (isYes(read(kApplicationSection, L"Embedded Jar"))) {
        std::wstring executable;
        if (modulePath(executable, messageOwner)) classPath = executable + L";" + classPath;
    }
    if (classPath.empty()) {
        showError(messageOwner, loadText(IDS_NO_CLASS_PATH));
        return false;
    }

    std::vector<std::wstring> options{L"-Djava.class.path=" + classPath};
    std::wstring parameters = read(kRuntimeSection, L"Virtual Machine Parameters");
    if (!parameters.empty()) {
        MemoryFigures memory = machineMemory();
        for (const std::wstring& parameter : splitVmParameters(parameters))
            addVmParameter(parameter, memory, threadStackSize, options);
    }
    // References are expanded only now, after the sizes were computed: a
    // relative size never sees the text of a variable.
    for (std::wstring& option : options) {
        expandEnvironment(option);
        vmOptions.push_back(toAnsi(option));
    }

    outputFile = read(kApplicationSection, L"Output File");
    if (!outputFile.empty()) expandEnvironment(outputFile);
    outputAppend = read(kApplicationSection, L"Output Append") == L"yes";
    errorFile = read(kApplicationSection, L"Error File");
    if (!errorFile.empty()) expandEnvironment(errorFile);
    errorAppend = read(kApplicationSection, L"Error Append") == L"yes";

    std::wstring cmd = read(kApplicationSection, L"Cmd");
    if (!cmd.empty()) {
        expandEnvironment(cmd);
        for (std::wstring& piece : splitCommandLine(cmd))
            if (!piece.empty()) arguments.push_back(std::move(piece));
    }
    return true;
}
