#include "launcher/StartFacts_win.h"

#include "jre/RegistryView_win.h"
#include "jvm/JavaStart_win.h"
#include "util/Environment_win.h"
#include "util/FileSystem_win.h"
#include "util/PeImageProbe_win.h"
#include "util/DllSearch_win.h"
#include "util/UniqueResource_win.h"

#include <windows.h>

#include <shlobj.h>

const wchar_t* const kHandedOverByVariable = L"LAUNCHER_HANDED_OVER_BY";

namespace {

bool fileAt(const std::wstring& path) {
    return fileExists(path);
}

// Through shell32, loaded only for this rare case: the start does not
// import it.
std::wstring systemAppDataFolder() {
    using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    const auto getFolderPath = systemFunction<GetFolderPath>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t path[MAX_PATH] = {};
    if (getFolderPath == nullptr || FAILED(getFolderPath(nullptr, CSIDL_APPDATA, nullptr, 0, path)))
        return std::wstring();
    return path;
}

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

std::wstring userAppDataFolder() {
    if (auto appData = environmentValue(L"APPDATA")) {
        if (!appData->empty()) return *appData;
    }
    return systemAppDataFolder();
}

std::wstring takeHandedOverBy() {
    std::wstring by = environmentValue(kHandedOverByVariable).value_or(std::wstring());
    if (!by.empty()) SetEnvironmentVariableW(kHandedOverByVariable, nullptr);
    return by;
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first = {}, second = {};
    if (!fileIdentity(a, first) || !fileIdentity(b, second)) return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

StartFacts gatherStartFacts(const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                            InstanceRole role, const std::wstring& handedOverBy, const LauncherSettings& settings) {
    StartFacts facts;
    facts.executablePath = executablePath;
    facts.currentFolder = currentFolder();
    facts.arguments = arguments;
    facts.instanceRole = role;
    facts.handedOverBy = handedOverBy;
    facts.probes.exists = fileAt;
    facts.probes.isForeignImage = isForeignArchitectureImage;
    const RegistryCriteria criteria = registryCriteriaOf(settings);
    facts.probes.registry = [criteria](bool view64, const ForeignImageProbe& passOver) {
        RuntimeRegistryView registry(view64);
        return selectRegisteredRuntime(registry, criteria, fileAt, releaseFileVersion, passOver);
    };
    facts.sameFile = sameFile;
    facts.memory = processMemory();
    facts.environment = environmentValue;
    facts.list = listMatches;
    return facts;
}
