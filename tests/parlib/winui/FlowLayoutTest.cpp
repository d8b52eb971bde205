#include "winui/Container.h"
#include "winui/FlowLayout.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <memory>

using par::Container;
using par::FlowLayout;
using par::Rect;
using par::Window;

namespace {

const FlowLayout::Constraints WEIGHTED = {FlowLayout::WEIGHTED, 0.5};

// A borderless container, so that its client area is its whole size, and
// children of a given size placed by a flow layout when it is resized.
class FlowLayoutTest : public ::testing::Test {
protected:
    void makeContainer(int orientation)
    {
        myContainer = std::make_unique<Container>(Container::NO_BACKGROUND, WS_POPUP, 0);
        myLayout = new FlowLayout(orientation);
        myContainer->setLayout(myLayout);
    }

    Window* child(int width, int height, const FlowLayout::Constraints* constraints = nullptr,
                  DWORD style = WS_CHILD | WS_VISIBLE)
    {
        auto* window = new Window(myContainer.get(), "ParDefaultWindowClass", style, 0);
        window->setBounds(0, 0, width, height);
        if (constraints)
            myLayout->setConstraints(window, *constraints);
        return window;
    }

    // Resizing runs the pass through WM_SIZE.
    void resize(int width, int height) { myContainer->setBounds(0, 0, width, height); }

    Rect placeOf(Window* window) const
    {
        RECT bounds;
        GetWindowRect(window->getHandle(), &bounds);
        MapWindowPoints(nullptr, myContainer->getHandle(), reinterpret_cast<POINT*>(&bounds), 2);
        return Rect{bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
    }

    test::TestApplication myApplication;
    std::unique_ptr<Container> myContainer;
    FlowLayout* myLayout = nullptr;
};

void expectPlace(const Rect& expected, const Rect& actual)
{
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
}

} // namespace

TEST_F(FlowLayoutTest, SingleWeightedChildFillsTheClientArea)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* only = child(10, 10, &WEIGHTED);
    resize(300, 200);
    expectPlace({0, 0, 300, 200}, placeOf(only));
}

TEST_F(FlowLayoutTest, EqualWeightsShareAnOddWidthWithTheExtraPixelFirst)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* first = child(10, 10, &WEIGHTED);
    Window* second = child(10, 10, &WEIGHTED);
    resize(301, 100);
    expectPlace({0, 0, 151, 100}, placeOf(first));
    expectPlace({151, 0, 150, 100}, placeOf(second));
}

TEST_F(FlowLayoutTest, FixedChildInFrontTakesAnExtraPixelWithoutGrowing)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* fixed = child(50, 10);
    Window* first = child(10, 10, &WEIGHTED);
    Window* second = child(10, 10, &WEIGHTED);
    resize(301, 100);
    // 251 free pixels: 125 each, and the one left over goes to index 0.
    expectPlace({0, 0, 50, 100}, placeOf(fixed));
    expectPlace({50, 0, 125, 100}, placeOf(first));
    expectPlace({175, 0, 125, 100}, placeOf(second));
}

TEST_F(FlowLayoutTest, WeightsShareInProportion)
{
    makeContainer(FlowLayout::HORIZONTAL);
    const FlowLayout::Constraints heavy = {FlowLayout::WEIGHTED, 3};
    const FlowLayout::Constraints light = {FlowLayout::WEIGHTED, 1};
    Window* first = child(10, 10, &heavy);
    Window* second = child(10, 10, &light);
    resize(402, 100);
    // 301 and 100 by the weights, 1 pixel left over for the first.
    expectPlace({0, 0, 302, 100}, placeOf(first));
    expectPlace({302, 0, 100, 100}, placeOf(second));
}

TEST_F(FlowLayoutTest, FixedChildrenAreCentredAsABlockAndOverflowOnBothSides)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* first = child(100, 10);
    Window* second = child(60, 10);
    resize(300, 50);
    expectPlace({70, 0, 100, 50}, placeOf(first));
    expectPlace({170, 0, 60, 50}, placeOf(second));

    second->setBounds(0, 0, 100, 10);
    resize(100, 50);
    EXPECT_EQ(-50, placeOf(first).x);
    EXPECT_EQ(50, placeOf(second).x);
}

TEST_F(FlowLayoutTest, CrossAlignmentPlacesChildrenAcrossTheRow)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* only = child(30, 20);
    resize(100, 100);
    expectPlace({35, 0, 30, 100}, placeOf(only));

    const struct {
        int alignment;
        int y;
    } cases[] = {{FlowLayout::CROSS_START, 0}, {FlowLayout::CROSS_CENTER, 40}, {FlowLayout::CROSS_END, 80}};
    for (const auto& c : cases) {
        only->setBounds(0, 0, 30, 20);
        myLayout->setVerticalAlignment(c.alignment);
        myContainer->doLayout();
        expectPlace({35, c.y, 30, 20}, placeOf(only));
    }
}

TEST_F(FlowLayoutTest, VerticalLayoutSwapsTheAxes)
{
    makeContainer(FlowLayout::VERTICAL);
    Window* first = child(10, 10, &WEIGHTED);
    Window* second = child(10, 10, &WEIGHTED);
    resize(80, 301);
    expectPlace({0, 0, 80, 151}, placeOf(first));
    expectPlace({0, 151, 80, 150}, placeOf(second));
}

TEST_F(FlowLayoutTest, VerticalAlignmentOfAColumnMovesItsBlock)
{
    makeContainer(FlowLayout::VERTICAL);
    myLayout->setVerticalAlignment(FlowLayout::CROSS_END);
    Window* first = child(10, 30);
    Window* second = child(10, 20);
    resize(60, 200);
    expectPlace({0, 150, 60, 30}, placeOf(first));
    expectPlace({0, 180, 60, 20}, placeOf(second));

    myLayout->setVerticalAlignment(FlowLayout::CROSS_START);
    myContainer->doLayout();
    EXPECT_EQ(0, placeOf(first).y);
    EXPECT_EQ(30, placeOf(second).y);
}

TEST_F(FlowLayoutTest, WindowWithoutChildStyleIsNeitherCountedNorMoved)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* popup = child(40, 40, nullptr, WS_POPUP);
    popup->setBounds(500, 400, 40, 40);
    Window* weighted = child(10, 10, &WEIGHTED);
    resize(200, 100);
    expectPlace({0, 0, 200, 100}, placeOf(weighted));
    const Rect popupBounds = popup->getBounds();
    EXPECT_EQ(500, popupBounds.x);
    EXPECT_EQ(400, popupBounds.y);
}

TEST_F(FlowLayoutTest, ConstraintsDefaultToFixedAndCanBeReplaced)
{
    makeContainer(FlowLayout::HORIZONTAL);
    Window* window = child(10, 10);
    EXPECT_EQ(FlowLayout::FIXED, myLayout->getConstraints(window).kind);
    EXPECT_EQ(0.5, myLayout->getConstraints(window).weight);
    myLayout->setConstraints(window, {FlowLayout::WEIGHTED, 2});
    myLayout->setConstraints(window, {FlowLayout::WEIGHTED, 3});
    EXPECT_EQ(3, myLayout->getConstraints(window).weight);
}
