#include "winui/FullscreenWindow.h"

#include "app/UiApplication.h"
#include "winui/Container.h"
#include "winui/FlowLayout.h"


namespace par {

FullscreenWindow::FullscreenWindow(Window* parent)
    : CustomWindow(parent, WS_POPUP, 0, "ParDefaultWindowClass")
{
    setNoErase(true);
    setTitle("FullscreenWindow");
    auto* layout = new FlowLayout(FlowLayout::HORIZONTAL);
    setLayout(layout);
    myContent = new Container(this, Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT);
    myContent->setLayout(new FlowLayout(FlowLayout::HORIZONTAL));
    layout->setConstraints(myContent, {FlowLayout::WEIGHTED, 0.5});
    setVisible(false, false);
}

FullscreenWindow::~FullscreenWindow() = default;

LRESULT FullscreenWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFOCUS) {
        if (Window* first = myContent ? myContent->getFirstChild() : nullptr)
            first->setFocus();
        return 1;
    }
    if (message == WM_CLOSE) {
        UiApplication* application = UiApplication::instance();
        Window* mainWindow = application ? application->getMainWindow() : nullptr;
        if (mainWindow)
            mainWindow->close();
    }
    return CustomWindow::handleMessage(message, wParam, lParam);
}

} // namespace par
