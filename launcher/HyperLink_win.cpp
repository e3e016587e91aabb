#include "launcher/HyperLink_win.h"

#include "launcher/DialogLayout.h"
#include "util/DllSearch_win.h"
#include "util/UniqueResource_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

const wchar_t* const kStateProperty = L"LauncherHyperLink";

struct HyperLink {
    WNDPROC staticProc = nullptr;
    std::wstring target;
    UniqueGdiObject font;  // the control's font, underlined
    COLORREF color = RGB(0, 0, 255);
    COLORREF visitedColor = RGB(128, 0, 128);
    bool visited = false;
    HWND tooltip = nullptr;
};

COLORREF settingsColor(const wchar_t* name, COLORREF fallback) {
    wchar_t text[13] = {};
    DWORD size = sizeof text - sizeof(wchar_t);  // at most 24 bytes, as the settings allow
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", name,
                     RRF_RT_REG_SZ, &type, text, &size) != ERROR_SUCCESS)
        return fallback;
    unsigned char rgb[3];
    return parseColorText(text, rgb) ? RGB(rgb[0], rgb[1], rgb[2]) : fallback;
}

void open(HWND control, HyperLink& link) {
    using ShellExecute = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    const auto shellExecute = systemFunction<ShellExecute>(L"shell32.dll", "ShellExecuteW");
    const auto result = shellExecute == nullptr ? 0
                                                : reinterpret_cast<INT_PTR>(shellExecute(
                                                      GetParent(control), L"open", link.target.c_str(), nullptr,
                                                      nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        link.visited = true;
        InvalidateRect(control, nullptr, TRUE);
    }
}

void paint(HWND control, HyperLink& link) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    RECT client;
    GetClientRect(control, &client);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(control), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, link.font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(control) ? GetSysColor(COLOR_GRAYTEXT)
                                               : link.visited ? link.visitedColor : link.color);
    RECT label = client;
    DrawTextW(dc, link.target.c_str(), -1, &label, DT_WORDBREAK | DT_CALCRECT);
    DrawTextW(dc, link.target.c_str(), -1, &client, DT_WORDBREAK);
    if (GetFocus() == control) DrawFocusRect(dc, &label);
    SelectObject(dc, oldFont);
    EndPaint(control, &ps);
}

LRESULT CALLBACK linkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* link = static_cast<HyperLink*>(GetPropW(control, kStateProperty));
    if (link == nullptr) return DefWindowProcW(control, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(control, *link);
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;  // a static control lets the mouse through otherwise
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONDOWN:
        SetFocus(control);
        SetCapture(control);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == control) {
            ReleaseCapture();
            RECT client;
            GetClientRect(control, &client);
            POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&client, point)) open(control, *link);
        }
        return 0;
    case WM_GETDLGCODE: {
        // Characters, and Enter too, which the dialog would take for its
        // default button.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        LRESULT code = DLGC_WANTCHARS;
        if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR:
        if (wParam == L'\r' || wParam == L' ') open(control, *link);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(control, nullptr, TRUE);
        break;
    case WM_NCDESTROY: {
        WNDPROC staticProc = link->staticProc;
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProc));
        RemovePropW(control, kStateProperty);
        if (link->tooltip != nullptr) DestroyWindow(link->tooltip);
        delete link;
        return CallWindowProcW(staticProc, control, message, wParam, lParam);
    }
    default:
        break;
    }
    return CallWindowProcW(link->staticProc, control, message, wParam, lParam);
}

}  // namespace

void makeHyperLink(HWND control) {
    auto* link = new HyperLink;
    const int length = GetWindowTextLengthW(control);
    link->target.assign(static_cast<size_t>(length) + 1, L'\0');
    link->target.resize(static_cast<size_t>(GetWindowTextW(control, &link->target[0], length + 1)));
    LOGFONTW font = {};
    auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(current != nullptr ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = TRUE;
    link->font.reset(CreateFontIndirectW(&font));
    link->color = settingsColor(L"Anchor Color", link->color);
    link->visitedColor = settingsColor(L"Anchor Color Visited", link->visitedColor);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    // comctl32 (version 6, as the manifest asks) is loaded for dialogs only.
    const auto initCommonControls =
        systemFunction<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(L"comctl32.dll", "InitCommonControlsEx");
    if (initCommonControls != nullptr) initCommonControls(&controls);
    link->tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(control), nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (link->tooltip != nullptr) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = &link->target[0];
        SendMessageW(link->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SetPropW(control, kStateProperty, link);
    link->staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc)));
}
