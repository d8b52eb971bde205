#include "winui/FlowLayout.h"

#include "winui/Window.h"

#include <windows.h>


namespace par {

namespace {

const FlowLayout::Constraints DEFAULT_CONSTRAINTS = {FlowLayout::FIXED, 0.5};

bool takesPart(Window* child)
{
    return (child->getStyle() & WS_CHILD) != 0;
}

} // namespace

FlowLayout::FlowLayout(int orientation) : myOrientation(orientation)
{
}

void FlowLayout::setConstraints(Window* child, const Constraints& constraints)
{
    myConstraints[child] = std::make_unique<Constraints>(constraints);
}

const FlowLayout::Constraints& FlowLayout::getConstraints(Window* child) const
{
    auto found = myConstraints.find(child);
    return found == myConstraints.end() ? DEFAULT_CONSTRAINTS : *found->second;
}

void FlowLayout::setVerticalAlignment(int alignment)
{
    if (myOrientation == HORIZONTAL)
        myCrossAlignment = alignment;
    else if (alignment == CROSS_START)
        myMainAlignment = MAIN_START;
    else if (alignment == CROSS_END)
        myMainAlignment = MAIN_END;
    else
        myMainAlignment = alignment;
}

Rect FlowLayout::orient(const Rect& rect) const
{
    if (myOrientation != VERTICAL)
        return rect;
    return Rect{rect.y, rect.x, rect.height, rect.width};
}

int FlowLayout::shareOf(const Constraints& constraints, int free, double weightSum) const
{
    if (weightSum == 0)
        return 0;
    return static_cast<int>(free * constraints.weight / weightSum);
}

void FlowLayout::layout()
{
    Window* container = getContainer();
    if (!container || container->getChildren().empty())
        return;
    const std::list<Window*>& children = container->getChildren();

    RECT client = {};
    GetClientRect(container->getHandle(), &client);
    const Rect area = orient(Rect{0, 0, client.right - client.left, client.bottom - client.top});

    int fixedSum = 0;
    double weightSum = 0;
    bool weighted = false;
    for (Window* child : children) {
        if (!takesPart(child))
            continue;
        const Constraints& constraints = getConstraints(child);
        if (constraints.kind == FIXED) {
            fixedSum += orient(child->getBounds()).width;
        } else if (constraints.kind == WEIGHTED) {
            weightSum += constraints.weight;
            weighted = true;
        }
    }

    const int free = area.width - fixedSum > 0 ? area.width - fixedSum : 0;
    int remainder = 0;
    if (weighted && free >= 1) {
        int shared = 0;
        for (Window* child : children) {
            const Constraints& constraints = getConstraints(child);
            if (constraints.kind == WEIGHTED)
                shared += shareOf(constraints, free, weightSum);
        }
        remainder = free - shared;
    }

    int position = 0;
    if (!weighted) {
        if (myMainAlignment == MAIN_CENTER)
            position = (area.width - fixedSum) / 2;
        else if (myMainAlignment != MAIN_START)
            position = area.width - fixedSum;
    }

    int index = 0;
    for (Window* child : children) {
        if (!takesPart(child))
            continue;
        Rect bounds = orient(child->getBounds());
        bounds.x = position;
        switch (myCrossAlignment) {
        case CROSS_STRETCH:
            bounds.y = 0;
            bounds.height = area.height;
            break;
        case CROSS_CENTER:
            bounds.y = area.height / 2 - bounds.height / 2;
            break;
        case CROSS_END:
            bounds.y = area.height - bounds.height;
            break;
        default:
            bounds.y = 0;
            break;
        }
        const Constraints& constraints = getConstraints(child);
        if (constraints.kind == WEIGHTED)
            bounds.width = shareOf(constraints, free, weightSum) + (index < remainder ? 1 : 0);
        position += bounds.width;
        const Rect placed = orient(bounds);
        MoveWindow(child->getHandle(), placed.x, placed.y, placed.width, placed.height, TRUE);
        ++index;
    }
}

} // namespace par
