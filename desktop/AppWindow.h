#pragma once

#include "winui/ApplicationWindow.h"

#include <memory>

namespace par {
class Container;
class FullscreenWindow;
} // namespace par

// The desktop program's main window: keeps its placement, holds the
// container the flash host is nested in, owns the borderless fullscreen
// window, and turns window-manager and menu commands into the controller's
// calls.
class TrayPart;

class AppWindow : public par::ApplicationWindow {
public:
    AppWindow();
    ~AppWindow() override;
    // Compares with the window's real visibility: the window is made hidden.
    void setVisible(bool visible, bool activate) override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void restorePlacement(bool activate) override;

    // The layout's containers, the fullscreen window and, in the mode "app",
    // the tray part.
    void createControls();
    // Into the content host, or into the given container.
    void nestFlashHost(par::Window* flashHost, par::Container* target = nullptr);
    // A flash host made in the content host already is only given its place.
    void placeFlashHost(par::Window* flashHost);
    par::Container* getContentHost() const { return myContentHost; }
    par::FullscreenWindow* getFullscreenWindow() const { return myFullscreenWindow; }
    // Only in the mode "app".
    TrayPart* getTrayPart() const { return myTrayPart.get(); }

private:
    void saveOptions();
    // The child takes all of the target.
    static void fill(par::Container* target, par::Window* child);

    // Owned through the child lists.
    par::Container* myContentHost = nullptr;
    par::FullscreenWindow* myFullscreenWindow = nullptr;
    std::unique_ptr<TrayPart> myTrayPart;
};
