#pragma once

#include "util/Scoped.h"
#include "winui/Dialog.h"

#include <string>

// The window that shows the command-line note (help or an invalid option)
// instead of the program: a read-only text and an OK button. Closing it
// ends the program.
class CommandLineOutputDialog : public par::Dialog, public par::Window::ControlEventHandler {
public:
    explicit CommandLineOutputDialog(int templateId);
    ~CommandLineOutputDialog() override;

    // Shows the dialog with the note, its line feeds made line breaks.
    void setNote(const std::string& note);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool onControlEvent(par::Window* source, int controlId, int notificationCode) override;

private:
    par::ScopedFont myFont;
    // Owned through the child lists.
    par::Window* myTextArea = nullptr;
    par::Window* myOkButton = nullptr;
};
