#pragma once

#include <windows.h>

// Turns a static control into a link whose label and target are both its
// text: underlined in the link colour (the visited colour once opened; the
// "Anchor Color" values of the user's settings when well formed), a hand
// cursor and a tooltip with the target over it; a click, Enter or the space
// bar opens the target with the shell. Released with the control.
void makeHyperLink(HWND control);
