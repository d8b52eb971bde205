#include "winui/VisualStyle.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using par::classifyVisualStyle;

TEST(VisualStyle, ThemeFileNamesAreRecognisedWhateverTheirCase)
{
    EXPECT_EQ(128, classifyVisualStyle(L"C:\\Windows\\Resources\\Themes\\Aero\\aero.msstyles", L"x"));
    const std::wstring luna = L"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles";
    EXPECT_EQ(0, classifyVisualStyle(luna, L"NormalColor"));
    EXPECT_EQ(1, classifyVisualStyle(luna, L"Metallic"));
    EXPECT_EQ(2, classifyVisualStyle(luna, L"homestead"));
}

TEST(VisualStyle, UnknownStylesSchemesAndBareNamesAreNoStyle)
{
    EXPECT_EQ(-1, classifyVisualStyle(L"C:\\Windows\\Resources\\Themes\\Luna\\luna.msstyles", L"Olive"));
    EXPECT_EQ(-1, classifyVisualStyle(L"C:\\Themes\\light.msstyles", L"Blue"));
    EXPECT_EQ(-1, classifyVisualStyle(L"aero.msstyles", L""));
}

// Wine's own theme is neither Aero nor Luna: the classic colours apply.
TEST(VisualStyle, OtherThemesGetTheClassicColours)
{
    EXPECT_EQ(-1, classifyVisualStyle());
    COLORREF text = 1, background = 1;
    EXPECT_TRUE(par::visualStyleTextColor(&text));
    EXPECT_TRUE(par::visualStyleBackgroundColor(&background));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), text);
    EXPECT_EQ(0xC8D0D4u, background);
}
