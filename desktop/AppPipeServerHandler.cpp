#include "desktop/AppPipeServerHandler.h"

#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppSkyvane.h"

#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/XmlUtil.h"

AppPipeServerHandler::MyFlashAsyncRequest::MyFlashAsyncRequest(par::PipeServer::AsyncRequest* pipeRequest,
                                                                const std::string& text)
    : SwfWindow::Request(makeDocument(text)), myPipeRequest(pipeRequest)
{
}

void AppPipeServerHandler::MyFlashAsyncRequest::onResponse(IXMLDOMDocument2Ptr)
{
    myPipeRequest->complete("ok");
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
    SwfWindow* swf = app && app->getSkyvane() ? app->getSkyvane()->getSwfWindow() : nullptr;
    if (!swf) {
        // The client would wait for an answer that no movie will ever give.
        par::logInfo("AppPipeServerHandler::handleRequest(), no movie, answered at once, request=" + text);
        request->complete("ok");
        return;
    }
    try {
        swf->sendXmlRequest(new MyFlashAsyncRequest(request, text));
    } catch (const _com_error& error) {
        par::logSevere("AppPipeServerHandler::handleRequest(), the movie is not asked, request=" + text
                       + ", hr=" + par::toHexString(static_cast<int>(error.Error())));
        request->complete("ok");
    }
}
