#pragma once

#include "swfwindow/SwfWindow.h"

// The product's listener of the main movie window: hands the movie's product
// commands and FSCommands to the facade's FlashHandler, answers the movie's
// location request and logs the load progress; xmlCommands and ready states
// it leaves alone. Its window owns it.
class QuorSwfWindowListener : public SwfWindow::Listener {
public:
    void onProgress(SwfWindow* source, long percent) override;
    void onFsCommand(SwfWindow* source, const std::wstring& command, const std::wstring& args) override;
    void onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response) override;
    std::wstring onExternalCall(SwfWindow* source, const std::wstring& name,
                                const std::vector<std::wstring>& arguments) override;

    // One location fix, answered into "xmlResponse" before it returns. A
    // "timeoutMs" that is no number counts as 0.
    static void detectLocationCoordinates(SwfWindow* swf, IXMLDOMDocument2Ptr request,
                                          IXMLDOMDocument2Ptr response);
};
