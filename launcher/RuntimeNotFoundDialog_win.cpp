#include "launcher/RuntimeNotFoundDialog_win.h"

#include "jre/JvmLibrary.h"
#include "launcher/DialogPlacement_win.h"
#include "launcher/ErrorReport_win.h"
#include "launcher/HyperLink_win.h"
#include "resources/resource.h"
#include "util/DllSearch_win.h"
#include "util/FileSystem_win.h"
#include "util/PeImageProbe_win.h"

#include <shlobj.h>

namespace {

struct RuntimeNotFoundDialog {
    const std::wstring* message = nullptr;
    int jvmType = 0;
    bool pairProductConfigured = false;
    PickedRuntime* picked = nullptr;
};

bool fileAt(const std::wstring& path) {
    return fileExists(path);
}

void browse(HWND dialog, RuntimeNotFoundDialog& state) {
    const std::wstring title = loadText(IDS_BROWSE_JRE_TITLE);
    BROWSEINFOW info = {};
    info.hwndOwner = dialog;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    // shell32 and ole32 are loaded for the picker only.
    const auto browseForFolder =
        systemFunction<PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*)>(L"shell32.dll", "SHBrowseForFolderW");
    const auto pathFromIdList =
        systemFunction<BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR)>(L"shell32.dll", "SHGetPathFromIDListW");
    const auto taskMemFree = systemFunction<void(WINAPI*)(void*)>(L"ole32.dll", "CoTaskMemFree");
    if (browseForFolder == nullptr || pathFromIdList == nullptr || taskMemFree == nullptr) return;
    PIDLIST_ABSOLUTE item = browseForFolder(&info);
    if (item == nullptr) return;
    wchar_t path[MAX_PATH] = {};
    const bool named = pathFromIdList(item, path) != FALSE;
    taskMemFree(item);
    if (!named) return;
    SetDlgItemTextW(dialog, IDC_JRE_PATH_EDIT, path);
    state.picked->folder = withTrailingBackslash(path);
    auto library = findJvmLibrary(state.picked->folder, state.jvmType, fileAt);
    // Stored, a runtime this launcher cannot load would fail every start.
    const bool startable =
        library && (state.pairProductConfigured || !isForeignArchitectureImage(library->path));
    state.picked->jvmPath = startable ? library->path : std::wstring();
    EnableWindow(GetDlgItem(dialog, IDOK), startable);
    if (library && !startable)
        showFormattedError(dialog, loadText(IDS_RUNTIME_OTHER_PROCESSOR), state.picked->folder);
}

INT_PTR CALLBACK runtimeNotFoundProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* state = reinterpret_cast<RuntimeNotFoundDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<RuntimeNotFoundDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        // The page comes from the string table, as in the console flavour's
        // message, so that a branded executable can name its own.
        SetDlgItemTextW(dialog, IDC_DOWNLOAD_LINK, loadText(IDS_DOWNLOAD_PAGE).c_str());
        makeHyperLink(GetDlgItem(dialog, IDC_DOWNLOAD_LINK));
        SetDlgItemTextW(dialog, IDC_JRE_MESSAGE, state->message->c_str());
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        centerDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // Enter reaches here too; only a usable folder may end the dialog.
            if (state != nullptr && !state->picked->jvmPath.empty()) EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 2);
            return TRUE;
        case IDC_BROWSE_BUTTON:
            if (state != nullptr) browse(dialog, *state);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR showRuntimeNotFoundDialog(HWND owner, const std::wstring& message, int jvmType, bool pairProductConfigured,
                                  PickedRuntime& picked) {
    // The folder picker's new style needs OLE on this thread.
    const auto oleInitialize = systemFunction<HRESULT(WINAPI*)(void*)>(L"ole32.dll", "OleInitialize");
    const auto oleUninitialize = systemFunction<void(WINAPI*)()>(L"ole32.dll", "OleUninitialize");
    const HRESULT ole = oleInitialize != nullptr && oleUninitialize != nullptr ? oleInitialize(nullptr) : E_FAIL;
    RuntimeNotFoundDialog state{&message, jvmType, pairProductConfigured, &picked};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JRE_NOT_FOUND), owner,
                                           runtimeNotFoundProc, reinterpret_cast<LPARAM>(&state));
    if (SUCCEEDED(ole)) oleUninitialize();
    return result;
}
