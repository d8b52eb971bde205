#include "product/TrayColors.h"

#include <gtest/gtest.h>

TEST(TrayColorsTest, TextIsWhiteFromWindows6OnAndThereIsNoBackground)
{
    // Wine reports Windows 6.1.
    TrayColors colors;
    EXPECT_EQ(0xFFFFFFu, colors.getDefaultTextColor());
    EXPECT_EQ(0u, colors.getDefaultBackground());
}

TEST(TrayColorsTest, OutdatedColourIsDarkerOnLightBackgrounds)
{
    EXPECT_DOUBLE_EQ(1.0, TrayColors::luminance(RGB(255, 255, 255)));
    EXPECT_DOUBLE_EQ(0.0, TrayColors::luminance(RGB(0, 0, 0)));

    EXPECT_EQ(0x808080u, TrayColors::outdatedColorFor(1.0));
    EXPECT_EQ(0x808080u, TrayColors::outdatedColorFor(0.5));
    EXPECT_EQ(0xA8A8A8u, TrayColors::outdatedColorFor(0.49999));
    EXPECT_EQ(0xA8A8A8u, TrayColors::outdatedColorFor(0.0));
}
