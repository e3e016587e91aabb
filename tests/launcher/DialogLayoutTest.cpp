#include "launcher/DialogLayout.h"

#include <gtest/gtest.h>

TEST(DialogLayout, CentresOverTheAnchorAndStaysInsideTheWorkArea) {
    const Box screen{0, 0, 1920, 1040};
    const Box dialog{0, 0, 400, 300};
    Box placed = centeredIn(dialog, screen, screen);
    EXPECT_EQ(placed.left, 760);
    EXPECT_EQ(placed.top, 370);
    EXPECT_EQ(placed.width(), 400);
    EXPECT_EQ(placed.height(), 300);

    // An owner near the bottom-right corner: pushed back inside.
    placed = centeredIn(dialog, Box{1800, 1000, 1900, 1040}, screen);
    EXPECT_EQ(placed.right, 1920);
    EXPECT_EQ(placed.bottom, 1040);
    // Larger than the work area: the left and top edges win.
    placed = centeredIn(Box{0, 0, 2500, 1200}, screen, screen);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    // A second monitor left of the first.
    placed = centeredIn(dialog, Box{-1280, 0, 0, 1024}, Box{-1280, 0, 0, 1024});
    EXPECT_EQ(placed.left, -840);
}

TEST(DialogLayout, ControlsFollowTheClientSize) {
    const Box trace{24, 88, 390, 254};
    EXPECT_EQ(followResize(trace, Anchoring{true, true, false, false}, 100, 50).right, 490);
    EXPECT_EQ(followResize(trace, Anchoring{true, true, false, false}, 100, 50).bottom, 304);
    const Box button{230, 341, 305, 364};
    Box moved = followResize(button, Anchoring{false, false, true, true}, 100, 50);
    EXPECT_EQ(moved.left, 330);
    EXPECT_EQ(moved.top, 391);
    EXPECT_EQ(moved.width(), button.width());
    Box hint = followResize(Box{24, 266, 390, 295}, Anchoring{true, false, false, true}, 100, 50);
    EXPECT_EQ(hint.right, 490);
    EXPECT_EQ(hint.top, 316);
    EXPECT_EQ(hint.height(), 29);
}

TEST(DialogLayout, LinkColoursAreThreeDecimalParts) {
    unsigned char rgb[3] = {0, 0, 255};
    EXPECT_TRUE(parseColorText(L"128,0,128", rgb));
    EXPECT_EQ(rgb[0], 128);
    EXPECT_EQ(rgb[2], 128);
    for (const wchar_t* bad : {L"", L"1,2", L"1,2,3,4", L"256,0,0", L"1,,3", L"1, 2,3", L"a,b,c", L"1,2,"}) {
        unsigned char kept[3] = {9, 9, 9};
        EXPECT_FALSE(parseColorText(bad, kept)) << bad;
        EXPECT_EQ(kept[0], 9);
    }
}
