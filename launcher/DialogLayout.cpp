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

bool parseColorText(const std::wstring& text, unsigned char (&rgb)[3]) {
    unsigned values[3] = {};
    size_t part = 0;
    bool digitSeen = false;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            values[part] = values[part] * 10 + static_cast<unsigned>(c - L'0');
            if (values[part] > 255) return false;
            digitSeen = true;
        } else if (c == L',' && digitSeen && part < 2) {
            ++part;
            digitSeen = false;
        } else {
            return false;
        }
    }
    if (part != 2 || !digitSeen) return false;
    for (size_t i = 0; i < 3; ++i) rgb[i] = static_cast<unsigned char>(values[i]);
    return true;
}
