#include "splash/SplashLayout.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    int pictureWidth, pictureHeight, screenWidth, screenHeight, dpi;
    int x, y, width, height;
};

class SplashPlacementTable : public ::testing::TestWithParam<PlacementCase> {};

}  // namespace

TEST_P(SplashPlacementTable, CentresThePictureScaledForTheScreen) {
    const PlacementCase& c = GetParam();
    const SplashPlacement p = placeSplash(c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight, c.dpi);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, c.y);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    SplashLayout, SplashPlacementTable,
    ::testing::Values(
        PlacementCase{400, 300, 1366, 768, 96, 483, 234, 400, 300},
        // Larger than the screen: the left and top edges lie off-screen.
        PlacementCase{2000, 1001, 1366, 768, 96, -317, -116, 2000, 1001},
        // An unreadable picture is an empty window at the centre.
        PlacementCase{0, 0, 1366, 768, 192, 683, 384, 0, 0},
        // At 200 % the picture keeps its apparent size; 150 % rounds.
        PlacementCase{400, 300, 1920, 1080, 192, 560, 240, 800, 600},
        PlacementCase{401, 301, 1920, 1080, 144, 659, 314, 602, 452},
        // Below 96 DPI nothing shrinks.
        PlacementCase{400, 300, 1366, 768, 72, 483, 234, 400, 300}));

TEST(SplashLayout, OnlyExactlyTrueAsksForTheShadow) {
    EXPECT_TRUE(wantsSplashShadow(L"true"));
    EXPECT_FALSE(wantsSplashShadow(L"True"));
    EXPECT_FALSE(wantsSplashShadow(L"yes"));
    EXPECT_FALSE(wantsSplashShadow(L""));
}
