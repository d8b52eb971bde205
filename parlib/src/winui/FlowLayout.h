#pragma once

#include "winui/Layout.h"
#include "winui/Rect.h"

#include <map>
#include <memory>

namespace par {

// Places the container's child windows in one row (horizontal) or one column
// (vertical). Along that main axis a child keeps its size or takes a share of
// the free space by weight; across it, it is aligned or stretched. Only
// children with the WS_CHILD style take part.
class FlowLayout : public Layout {
public:
    enum Orientation { HORIZONTAL = 1, VERTICAL = 2 };
    // Along the main axis.
    enum MainAlignment { MAIN_CENTER = 1, MAIN_START = 2, MAIN_END = 3 };
    // Across the main axis.
    enum CrossAlignment { CROSS_CENTER = 1, CROSS_START = 4, CROSS_END = 5, CROSS_STRETCH = 6 };
    // A weighted child shares the free space; a fixed one keeps its size.
    enum Kind { WEIGHTED = 1, FIXED = 2 };

    struct Constraints {
        int kind;
        double weight;
    };

    explicit FlowLayout(int orientation);

    void layout() override;

    void setConstraints(Window* child, const Constraints& constraints);
    // The child's constraints, or the default: fixed, weight 0.5.
    const Constraints& getConstraints(Window* child) const;
    // Top, bottom, centre or stretch; in a vertical layout top and bottom
    // become the start and end of the main axis.
    void setVerticalAlignment(int alignment);

private:
    // Swaps the axes of a vertical layout, so that the pass works along x.
    Rect orient(const Rect& rect) const;
    // The child's share of the free space; 0 when no weight is given at all.
    int shareOf(const Constraints& constraints, int free, double weightSum) const;

    int myOrientation;
    int myMainAlignment = MAIN_CENTER;
    int myCrossAlignment = CROSS_STRETCH;
    std::map<Window*, std::unique_ptr<Constraints>> myConstraints;
};

} // namespace par
