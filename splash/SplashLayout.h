#pragma once

#include <string>

// Where the splash window goes and how large it is, in screen pixels.
struct SplashPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A picture of pictureWidth by pictureHeight pixels, scaled by dpi/96 when
// the primary screen has more than 96 DPI (the launcher is DPI aware, so an
// unscaled picture would look smaller there), centred on a screen of
// screenWidth by screenHeight. A picture larger than the screen gets negative
// coordinates; a picture that could not be read (0 by 0) sits at the centre.
SplashPlacement placeSplash(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight, int dpi);

// Only "true", exactly, asks for the drop shadow.
bool wantsSplashShadow(const std::wstring& value);
