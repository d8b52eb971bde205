#include "product/QuorSwfWindowListener.h"

#include "product/FlashHandler.h"
#include "product/LocationSensing.h"
#include "product/Skyvane.h"

#include "util/ComUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/XmlUtil.h"

#include <cstdio>
#include <iterator>

namespace {

// Events still arriving while the facade goes find no handler.
FlashHandler* flashHandler()
{
    Skyvane* skyvane = Skyvane::instance();
    return skyvane ? skyvane->getFlashHandler() : nullptr;
}

IXMLDOMElementPtr rootOf(const IXMLDOMDocument2Ptr& document)
{
    IXMLDOMElementPtr root;
    par::checkResult(document->get_documentElement(&root));
    return root;
}

std::string coordinateText(double degrees)
{
    char text[64];
    std::snprintf(text, std::size(text), "%f", degrees);
    return text;
}

} // namespace

void QuorSwfWindowListener::onProgress(SwfWindow*, long percent)
{
    par::getLog("stageFlash")->debug("onProgress(percent=" + par::toString(static_cast<int>(percent)) + ")");
}

void QuorSwfWindowListener::onFsCommand(SwfWindow*, const std::wstring& command, const std::wstring& args)
{
    if (FlashHandler* handler = flashHandler())
        handler->handleFsCommand(command, args);
}

void QuorSwfWindowListener::onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr request,
                                         IXMLDOMDocument2Ptr response)
{
    if (par::getXmlAttribute(rootOf(request), "id") == "detectLocationCoordinates")
        detectLocationCoordinates(source, request, response);
}

std::wstring QuorSwfWindowListener::onExternalCall(SwfWindow*, const std::wstring& name,
                                                   const std::vector<std::wstring>& arguments)
{
    FlashHandler* handler = flashHandler();
    return handler ? handler->handleExternalCall(name, arguments) : std::wstring();
}

void QuorSwfWindowListener::detectLocationCoordinates(SwfWindow* swf, IXMLDOMDocument2Ptr request,
                                                      IXMLDOMDocument2Ptr response)
{
    int timeoutMs = 0;
    if (!par::parseInt(par::getXmlAttributeByPath(rootOf(request), L"timeoutMs"), timeoutMs))
        timeoutMs = 0;
    // The wait dispatches messages: the window, and this listener that it
    // owns, may be gone after it.
    const HWND window = swf->getHandle();
    const location::Fix fix = location::detectLocation(timeoutMs);
    if (par::Window::fromHwnd(window) != swf)
        return;
    IXMLDOMElementPtr root = rootOf(response);
    if (fix.outcome == location::Fix::SUCCESS) {
        par::setXmlAttribute(root, "latitude", coordinateText(fix.latitude));
        par::setXmlAttribute(root, "longitude", coordinateText(fix.longitude));
    } else {
        const char* id = fix.outcome == location::Fix::ACCESS_DENIED ? "accessDenied"
                         : fix.outcome == location::Fix::TIMEOUT     ? "timeout"
                                                                     : "internal";
        par::setXmlAttribute(par::appendChildElement(root, L"error"), "id", id);
    }
    swf->setXmlVariable("xmlResponse", response);
}
