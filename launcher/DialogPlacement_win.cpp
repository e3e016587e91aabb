#include "launcher/DialogPlacement_win.h"

#include "launcher/DialogLayout.h"

namespace {

Box boxOf(const RECT& rect) {
    return Box{rect.left, rect.top, rect.right, rect.bottom};
}

Box workAreaNear(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return boxOf(monitor.rcWork);
}

}  // namespace

void centerDialog(HWND dialog) {
    RECT own;
    if (!GetWindowRect(dialog, &own)) return;
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    const Box bounds = workAreaNear(overOwner ? owner : dialog);
    Box anchor = bounds;
    RECT ownerRect;
    if (overOwner && GetWindowRect(owner, &ownerRect)) anchor = boxOf(ownerRect);
    const Box placed = centeredIn(boxOf(own), anchor, bounds);
    SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
