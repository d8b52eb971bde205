#pragma once

#include "winui/CustomWindow.h"

namespace par {

class Container;

// A borderless popup, hidden at first, holding one content container that
// takes its whole client area; its holder puts its own windows into it.
class FullscreenWindow : public CustomWindow {
public:
    explicit FullscreenWindow(Window* parent);
    ~FullscreenWindow() override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Owned through the child list.
    Container* getContent() const { return myContent; }

private:
    Container* myContent = nullptr;
};

} // namespace par
