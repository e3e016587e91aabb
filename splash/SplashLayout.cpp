#include "splash/SplashLayout.h"

namespace {

int scaled(int pixels, int dpi) {
    if (dpi <= 96) return pixels;
    return static_cast<int>((static_cast<long long>(pixels) * dpi + 48) / 96);
}

}  // namespace

SplashPlacement placeSplash(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight, int dpi) {
    SplashPlacement placement;
    placement.width = scaled(pictureWidth, dpi);
    placement.height = scaled(pictureHeight, dpi);
    // Integer division truncates toward zero, also for a picture larger than the screen.
    placement.x = (screenWidth - placement.width) / 2;
    placement.y = (screenHeight - placement.height) / 2;
    return placement;
}

bool wantsSplashShadow(const std::wstring& value) {
    return value == L"true";
}
