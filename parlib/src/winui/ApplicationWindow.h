#pragma once

#include "winui/CustomWindow.h"

namespace par {

// Base of a program's main window: keeps its placement (normal rectangle and
// show state) under the application's registry key and restores it on the
// first show.
class ApplicationWindow : public CustomWindow {
public:
    ApplicationWindow(DWORD style, DWORD exStyle, const std::string& className);
    ~ApplicationWindow() override;
    void setVisible(bool show, bool activate) override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Called by the application once the main window exists.
    virtual void onCreated();
    virtual void restorePlacement(bool activate);
    virtual void savePlacement();

    bool isPlacementRestored() const { return myPlacementRestored; }
    void setPlacementRestored(bool restored) { myPlacementRestored = restored; }

private:
    bool myPlacementRestored = false;
};

} // namespace par
