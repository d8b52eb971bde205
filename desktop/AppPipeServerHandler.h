#pragma once

#include "swfwindow/SwfWindow.h"

#include "ipc/PipeServer.h"

// Serves the desktop program's pipe on the UI thread: "activate" brings the
// program out of the tray; every other request is passed to the movie and
// answered "ok" once the movie answered it.
class AppPipeServerHandler : public par::PipeServer::Handler {
public:
    // The waiting pipe request, filed with the movie under the request's
    // text. One that goes unanswered (replaced by a newer request of the same
    // id, dropped with its window, or never written) answers "".
    class MyFlashAsyncRequest : public SwfWindow::Request {
    public:
        MyFlashAsyncRequest(par::PipeServer::AsyncRequest* pipeRequest, const std::string& text);
        ~MyFlashAsyncRequest() override;
        void onResponse(IXMLDOMDocument2Ptr answer) override;

    private:
        // Not owned: completing it ends it; null once completed.
        par::PipeServer::AsyncRequest* myPipeRequest;
    };

    void handleRequest(par::PipeServer::AsyncRequest* request) override;
};
