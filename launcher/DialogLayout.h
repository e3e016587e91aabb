#pragma once

#include <string>

// Rectangles in screen or client pixels: left and top inclusive, right and
// bottom exclusive, as Windows has them.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Where a dialog of the given box goes: centred over anchor (its visible
// owner, or else the nearest monitor's work area), then moved back inside
// bounds (a work area): first off its right and bottom edges, then off its
// left and top ones. The size stays.
Box centeredIn(const Box& dialog, const Box& anchor, const Box& bounds);

// How a control follows a change of its dialog's client size.
struct Anchoring {
    bool growsWide = false;   // its width follows the client width
    bool growsTall = false;   // its height follows the client height
    bool movesRight = false;  // it keeps its distance to the right edge
    bool movesDown = false;   // it keeps its distance to the bottom edge
};

// The control's box when the client area has grown by dx and dy pixels
// since the control was at initial.
Box followResize(const Box& initial, const Anchoring& anchoring, int dx, int dy);

// A colour written as "red,green,blue" in decimal (each 0 to 255), as the
// "Anchor Color" values hold it; false for anything else, which then leaves
// rgb as it was.
bool parseColorText(const std::wstring& text, unsigned char (&rgb)[3]);
