#include "jvm/RuntimeEnvironment_win.h"

#include "jvm/RuntimeEnvironment.h"
#include "launcher/Launcher_win.h"
#include "util/AnsiText_win.h"
#include "util/FileSystem_win.h"

#include <windows.h>

namespace {

// ExpandEnvironmentStringsW takes texts of at most 32K characters and cuts
// longer results.
constexpr size_t kLongestExpandable = 32767;

void expandShortText(std::wstring& text) {
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return;
    std::wstring expanded;
    for (;;) {
        expanded.assign(needed, L'\0');
        DWORD written = ExpandEnvironmentStringsW(text.c_str(), &expanded[0], needed);
        if (written == 0) return;
        if (written <= needed) break;
        needed = written;  // the environment grew in between
    }
    size_t end = expanded.find(L'\0');
    if (end != std::wstring::npos) expanded.resize(end);
    text = expanded;
}

}  // namespace

void expandEnvironment(std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) return;
    if (text.size() < kLongestExpandable) {
        expandShortText(text);
        return;
    }
    // A long class path: its entries are expanded one by one, since no
    // reference spans a ";".
    std::wstring result;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L';', start);
        std::wstring piece = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (piece.find(L'%') != std::wstring::npos && piece.size() < kLongestExpandable)
            expandShortText(piece);
        result += piece;
        if (end == std::wstring::npos) break;
        result += L';';
        start = end + 1;
    }
    text = result;
}

void Launcher::prepareRuntimeEnvironment() {
    SetEnvironmentVariableW(L"LQ_JVM_PATH", jvmPath.c_str());
    SetEnvironmentVariableW(L"LQ_JVM_HOME", runtimeHomeOf(jvmPath).c_str());

    if (!settings.libraryPath.empty()) {
        std::wstring folder;
        moduleFolder(folder, messageOwner);
        settings.libraryPath = libraryPathHead(settings.libraryPath, folder);
        expandEnvironment(settings.libraryPath);
        // The runtime's own lib folder is appended after the expansion: a "%"
        // in its path is no reference.
        settings.libraryPath = withSeparator(settings.libraryPath) + runtimeLibOf(jvmPath);
        vmOptions.push_back(toAnsi(L"-Djava.library.path=" + settings.libraryPath));
    }

    std::wstring path = processPathTemplate(settings.systemPath, jvmPath);
    expandEnvironment(path);
    SetEnvironmentVariableW(L"Path", path.c_str());
}
