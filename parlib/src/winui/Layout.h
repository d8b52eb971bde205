#pragma once

namespace par {

class Window;

// Places the child windows of the window that owns it; run on every
// unanswered WM_SIZE and on Window::doLayout.
class Layout {
public:
    Layout() = default;
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    virtual void layout() = 0;
    virtual ~Layout() = default;

    void setContainer(Window* container) { myContainer = container; }
    Window* getContainer() const { return myContainer; }

private:
    Window* myContainer = nullptr;
};

} // namespace par
