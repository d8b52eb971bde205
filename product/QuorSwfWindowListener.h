#pragma once

#include "swfwindow/SwfWindow.h"

// The product's listener of the main movie window: hands the movie's product
// commands and FSCommands to the facade's FlashHandler and logs the load
// progress; xmlCommands and ready states it leaves alone. Its window owns it.
class QuorSwfWindowListener : public SwfWindow::Listener {
public:
    void onProgress(SwfWindow* source, long percent) override;
    void onFsCommand(SwfWindow* source, const std::wstring& command, const std::wstring& args) override;
    std::wstring onExternalCall(SwfWindow* source, const std::wstring& name,
                                const std::vector<std::wstring>& arguments) override;
};
