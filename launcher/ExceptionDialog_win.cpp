#include "launcher/ExceptionDialog_win.h"

#include "launcher/DialogLayout.h"
#include "launcher/DialogPlacement_win.h"
#include "launcher/MessageText.h"
#include "resources/resource.h"

#include <iterator>

namespace {

// How the dialog's controls follow its size.
struct LaidOut {
    int id;
    Anchoring anchoring;
};

const LaidOut kLayout[] = {
    {IDC_EXCEPTION_GROUP, {true, true, false, false}},
    {IDC_EXCEPTION_HEADING, {true, false, false, false}},
    {IDC_EXCEPTION_WARNING, {true, false, false, true}},
    {IDC_EXCEPTION_HINT, {true, false, false, true}},
    {IDC_STACK_TRACE_EDIT, {true, true, false, false}},
    {IDOK, {false, false, true, true}},
    {IDCANCEL, {false, false, true, true}},
};

struct ExceptionDialog {
    const std::wstring* trace = nullptr;
    SIZE initialClient = {};
    SIZE minimumWindow = {};
    HWND grip = nullptr;
    bool laidOut = false;
    Box initial[std::size(kLayout)] = {};
};

Box clientBoxOf(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return Box{rect.left, rect.top, rect.right, rect.bottom};
}

void placeGrip(HWND dialog, HWND grip) {
    RECT client;
    GetClientRect(dialog, &client);
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    const int height = GetSystemMetrics(SM_CYHSCROLL);
    SetWindowPos(grip, nullptr, client.right - width, client.bottom - height, width, height, SWP_NOZORDER);
}

void setUpLayout(HWND dialog, ExceptionDialog& state) {
    // No caption icon on a dialog that is not a child window.
    SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_CLIPCHILDREN);
    SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT client;
    RECT window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    state.initialClient = {client.right, client.bottom};
    state.minimumWindow = {window.right - window.left, window.bottom - window.top};
    state.grip = CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX |
                                     SBS_SIZEBOXBOTTOMRIGHTALIGN | SBS_SIZEGRIP,
                                 0, 0, 0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SIZE_GRIP)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (state.grip != nullptr) placeGrip(dialog, state.grip);
    for (size_t i = 0; i < std::size(kLayout); ++i)
        state.initial[i] = clientBoxOf(dialog, GetDlgItem(dialog, kLayout[i].id));
    state.laidOut = true;
}

void followSize(HWND dialog, const ExceptionDialog& state, int width, int height) {
    const int dx = width - state.initialClient.cx;
    const int dy = height - state.initialClient.cy;
    for (size_t i = 0; i < std::size(kLayout); ++i) {
        const Box box = followResize(state.initial[i], kLayout[i].anchoring, dx, dy);
        SetWindowPos(GetDlgItem(dialog, kLayout[i].id), nullptr, box.left, box.top, box.width(), box.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (state.grip != nullptr) placeGrip(dialog, state.grip);
    InvalidateRect(dialog, nullptr, TRUE);
}

INT_PTR CALLBACK exceptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* state = reinterpret_cast<ExceptionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<ExceptionDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, IDC_STACK_TRACE_EDIT, state->trace->c_str());
        // Scrolled, selected and copied, never changed.
        SendDlgItemMessageW(dialog, IDC_STACK_TRACE_EDIT, EM_SETREADONLY, TRUE, 0);
        centerDialog(dialog);
        setUpLayout(dialog, *state);
        return TRUE;
    }
    case WM_SIZE:
        if (state == nullptr || !state->laidOut || wParam == SIZE_MINIMIZED) return FALSE;
        if (state->grip != nullptr) ShowWindow(state->grip, wParam == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
        followSize(dialog, *state, LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        if (state == nullptr || !state->laidOut) return FALSE;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {state->minimumWindow.cx, state->minimumWindow.cy};
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 2);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR showExceptionDialog(HWND owner, const std::wstring& trace) {
    ExceptionDialog state;
    const std::wstring shown = visibleTraceText(trace);
    state.trace = &shown;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JAVA_EXCEPTION), owner,
                           exceptionDialogProc, reinterpret_cast<LPARAM>(&state));
}
