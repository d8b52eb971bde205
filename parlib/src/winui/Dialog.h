#pragma once

#include "winui/Window.h"

namespace par {

// A modeless dialog made from a dialog template of the program's resources,
// wrapped as a window: its messages take the road of every window first, and
// the system's dialog procedure then hands them to handleDialogMessage.
class Dialog : public Window {
public:
    // The template is what CreateDialogParamA takes: a name or a numeric id.
    explicit Dialog(const char* dialogTemplate);
    ~Dialog() override;
    // True when the message is processed.
    virtual bool handleDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static HWND create(const char* dialogTemplate);
    static INT_PTR CALLBACK dialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // With no-erase on, the dialog manager does not erase the background.
    bool myNoErase = false;
};

} // namespace par
