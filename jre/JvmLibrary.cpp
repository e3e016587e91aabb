#include "jre/JvmLibrary.h"

namespace {

const wchar_t* const kServerVm = L"bin\\server\\jvm.dll";

}  // namespace

std::optional<JvmLibrary> findJvmLibrary(const std::wstring& home, int jvmType,
                                         const FileProbe& exists) {
    if (jvmType == 1 || jvmType == 2) {
        std::wstring server = home + kServerVm;
        if (exists(server)) return JvmLibrary{server, true};
        if (jvmType == 1) return std::nullopt;
    }
    static const wchar_t* const order[] = {
        L"bin\\client\\jvm.dll", L"bin\\classic\\jvm.dll", L"bin\\hotspot\\jvm.dll",
        kServerVm,               L"bin\\jrockit\\jvm.dll",
    };
    for (const wchar_t* relative : order) {
        std::wstring path = home + relative;
        if (exists(path)) return JvmLibrary{path, relative == kServerVm};
    }
    return std::nullopt;
}

bool hasJavaLibrary(const std::wstring& home, const FileProbe& exists) {
    return exists(home + L"bin\\java.dll");
}

std::wstring withTrailingBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}
