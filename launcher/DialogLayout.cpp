#include "launcher/DialogLayout.h"

Box centeredIn(const Box& dialog, const Box& anchor, const Box& bounds) {
    const int width = dialog.width();
    const int height = dialog.height();
    int left = anchor.left + (anchor.width() - width) / 2;
    int top = anchor.top + (anchor.height() - height) / 2;
    if (left + width > bounds.right) left = bounds.right - width;
    if (top + height > bounds.bottom) top = bounds.bottom - height;
    if (left < bounds.left) left = bounds.left;
    if (top < bounds.top) top = bounds.top;
    return Box{left, top, left + width, top + height};
}

Box followResize(const Box& initial, const Anchoring& anchoring, int dx, int dy) {
    Box box = initial;
    if (anchoring.movesRight) {
        box.left += dx;
        box.right += dx;
    } else if (anchoring.growsWide) {
        box.right += dx;
    }
    if (anchoring.movesDown) {
        box.top += dy;
        box.bottom += dy;
    } else if (anchoring.growsTall) {
        box.bottom += dy;
    }
    return box;
}
