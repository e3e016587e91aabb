#include "support/RuntimeFolder_win.h"

#include "util/UniqueResource_win.h"

#include <windows.h>

#include <cstdio>

namespace {

const wchar_t* vmFolder(VmKind kind) {
    switch (kind) {
    case VmKind::client: return L"client";
    case VmKind::server: return L"server";
    case VmKind::classic: return L"classic";
    case VmKind::hotspot: return L"hotspot";
    case VmKind::jrockit: return L"jrockit";
    }
    return L"client";
}

const wchar_t* standInName(StandIn variant) {
    switch (variant) {
    case StandIn::full: return L"testjvm.dll";
    case StandIn::noBootLoader: return L"testjvm_noboot.dll";
    case StandIn::noCreate: return L"testjvm_nocreate.dll";
    case StandIn::noDefaultArgs: return L"testjvm_nodefaultargs.dll";
    }
    return L"testjvm.dll";
}


bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::wstring siblingBinFolder() {
#ifdef LAUNCHER_SIBLING_BIN
    std::string configured = LAUNCHER_SIBLING_BIN;
    std::wstring folder(configured.begin(), configured.end());
    // A build folder given as a Unix path is reached through Wine's Z: drive.
    if (!folder.empty() && folder[0] == L'/') {
        for (wchar_t& c : folder)
            if (c == L'/') c = L'\\';
        folder = L"Z:" + folder;
    }
    return folder;
#else
    return std::wstring();
#endif
}

std::wstring standInJvmPath(StandIn variant, Machine machine) {
    std::wstring folder = machine == Machine::own ? testBinFolder() : siblingBinFolder();
    if (folder.empty()) return std::wstring();
    std::wstring path = folder + L"\\" + standInName(variant);
    return fileExists(path) ? path : std::wstring();
}

std::wstring jvmPathIn(const std::wstring& home, VmKind kind) {
    std::wstring base = home;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    return base + L"\\bin\\" + vmFolder(kind) + L"\\jvm.dll";
}

bool createFolderTree(const std::wstring& folder) {
    if (folder.empty()) return false;
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return false;
    if (!createFolderTree(folder.substr(0, slash))) return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool makeRuntimeHome(const std::wstring& home, VmKind kind, StandIn variant, Machine machine,
                     bool withJavaDll) {
    std::wstring source = standInJvmPath(variant, machine);
    if (source.empty()) return false;
    std::wstring target = jvmPathIn(home, kind);
    if (!createFolderTree(target.substr(0, target.rfind(L'\\')))) return false;
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) return false;
    if (withJavaDll) {
        std::wstring javaDll = target.substr(0, target.rfind(L'\\'));
        javaDll = javaDll.substr(0, javaDll.rfind(L'\\')) + L"\\java.dll";
        HANDLE file = CreateFileW(javaDll.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
    }
    return true;
}

bool layOutRealJava(const std::wstring& appFolder, const std::wstring& binFolder) {
    const std::wstring bin = binFolder.empty() ? testBinFolder() : binFolder;
    const std::wstring jre = appFolder + L"\\jre";
    if (!createFolderTree(jre + L"\\bin\\server") || !createFolderTree(appFolder + L"\\lib")) return false;
    if (!CopyFileW((bin + L"\\realjvm.dll").c_str(), (jre + L"\\bin\\server\\jvm.dll").c_str(), FALSE)) return false;
    UniqueFile marker(CreateFileW((jre + L"\\bin\\java.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!marker) return false;
    for (const wchar_t* jar : {L"realapp.jar", L"realhelper.jar"}) {
        if (!CopyFileW((testBinFolder() + L"\\realjava\\" + jar).c_str(), (appFolder + L"\\lib\\" + jar).c_str(), FALSE))
            return false;
    }
    return true;
}

std::string units(const std::wstring& text) {
    std::string out;
    char unit[8];
    for (wchar_t c : text) {
        std::snprintf(unit, sizeof unit, "%x ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

std::wstring testBinFolder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\'));
}
