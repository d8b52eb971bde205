#include "desktop/AppPipeServerHandler.h"

#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppSkyvane.h"

#include "swfwindow/InfiniteLoopMonitor.h"

#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/XmlUtil.h"

namespace {

// Whether the movie's answer can carry the text back unchanged as its id:
// an attribute value keeps no control character (tab, CR and LF come back
// as blanks, the others are no XML at all), and the bytes 0xFE and 0xFF
// would become the non-characters U+FFFE and U+FFFF. Answers to an empty id
// are refused, and the hang monitor's id belongs to the monitor alone.
bool isForwardableId(const std::string& text)
{
    if (text.empty() || text == swfWindow::InfiniteLoopMonitor::PING_ID)
        return false;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0xFE || byte == 0xFF)
            return false;
    }
    return true;
}

} // namespace

AppPipeServerHandler::MyFlashAsyncRequest::MyFlashAsyncRequest(par::PipeServer::AsyncRequest* pipeRequest,
                                                                const std::string& text)
    : SwfWindow::Request(makeDocument(text)), myPipeRequest(pipeRequest)
{
}

AppPipeServerHandler::MyFlashAsyncRequest::~MyFlashAsyncRequest()
{
    if (myPipeRequest)
        myPipeRequest->complete("");
}

void AppPipeServerHandler::MyFlashAsyncRequest::onResponse(IXMLDOMDocument2Ptr)
{
    par::PipeServer::AsyncRequest* const pipeRequest = myPipeRequest;
    myPipeRequest = nullptr;
    pipeRequest->complete("ok");
}

void AppPipeServerHandler::handleRequest(par::PipeServer::AsyncRequest* request)
{
    const std::string text = request->getRequest();
    App* app = App::getInstance();
    if (text == "activate") {
        if (app && app->getAppController())
            app->getAppController()->setOpen(true);
        request->complete("true");
        return;
    }
    if (!isForwardableId(text)) {
        // Its answer would never find it.
        par::logSevere("AppPipeServerHandler::handleRequest(), not forwarded, answered empty");
        request->complete("");
        return;
    }
    SwfWindow* swf = app && app->getSkyvane() ? app->getSkyvane()->getSwfWindow() : nullptr;
    if (!swf) {
        // The client would wait for an answer that no movie will ever give.
        par::logInfo("AppPipeServerHandler::handleRequest(), no movie, answered at once, request=" + text);
        request->complete("ok");
        return;
    }
    bool built = false;
    try {
        MyFlashAsyncRequest* forwarded = new MyFlashAsyncRequest(request, text);
        built = true;
        // Taken over: one that cannot be written is dropped, and so answered
        // "", by the window.
        swf->sendXmlRequest(forwarded);
    } catch (const _com_error& error) {
        par::logSevere("AppPipeServerHandler::handleRequest(), the movie is not asked, request=" + text
                       + ", hr=" + par::toHexString(static_cast<int>(error.Error())));
        if (!built)
            request->complete("");
    }
}
