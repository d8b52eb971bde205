#include "swfwindow/SwfWindow.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/CommandEventManager.h"
#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/OleClientSite.h"
#include "swfwindow/OleInPlaceSite.h"
#include "swfwindow/StorageStub.h"
#include "swfwindow/SwfWindowListener.h"

#include "util/Log.h"
#include "util/StringUtil.h"

using namespace ShockwaveFlashObjects;

_COM_SMARTPTR_TYPEDEF(IOleInPlaceObject, IID_IOleInPlaceObject);
_COM_SMARTPTR_TYPEDEF(IConnectionPointContainer, IID_IConnectionPointContainer);

namespace {

// Movie variables travel in the system's ANSI code page.
std::wstring ansiToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string wideToAnsi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length,
                        nullptr, nullptr);
    return narrow;
}

void check(HRESULT result)
{
    if (FAILED(result))
        _com_issue_error(result);
}

IOleInPlaceObjectPtr inPlaceObjectOf(IOleObject* object)
{
    IOleInPlaceObjectPtr inPlaceObject;
    if (object)
        object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlaceObject));
    return inPlaceObject;
}

} // namespace

SwfWindow::Request::Request(IXMLDOMDocument2Ptr document) : myDocument(document)
{
}

void SwfWindow::Listener::onProgress(SwfWindow*, long)
{
}

void SwfWindow::Listener::onFsCommand(SwfWindow*, const std::wstring&, const std::wstring&)
{
}

void SwfWindow::Listener::onXmlCommand(SwfWindow*, IXMLDOMDocument2Ptr)
{
}

void SwfWindow::Listener::onXmlRequest(SwfWindow*, IXMLDOMDocument2Ptr, IXMLDOMDocument2Ptr)
{
}

void SwfWindow::Listener::onReadyStateChange(SwfWindow*, long)
{
}

std::wstring SwfWindow::Listener::onExternalCall(SwfWindow*, const std::wstring&,
                                                 const std::vector<std::wstring>&)
{
    return std::wstring();
}

// No background of its own: the control covers the whole window.
SwfWindow::SwfWindow() : par::Container(par::Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT)
{
    RECT client;
    GetClientRect(getHandle(), &client);
    setNoErase(true);

    const HRESULT initialized = OleInitialize(nullptr);
    if (initialized != S_OK && initialized != S_FALSE)
        par::logSevere("SwfWindow(). OLE initialization failed.");

    myCommandEventManager = new swfWindow::CommandEventManager(this);
    myInfiniteLoopMonitor = new swfWindow::InfiniteLoopMonitor(this);
    myStorage = new swfWindow::StorageStub();
    myInPlaceSite = new swfWindow::OleInPlaceSite(getHandle());
    myClientSite = new swfWindow::OleClientSite(myInPlaceSite);
    myInPlaceSite->setClientSite(myClientSite);
    myEventSink = new swfWindow::SwfWindowListener(this);
    myClientSite->setEventSink(myEventSink);

    createControl(client);
}

void SwfWindow::createControl(const RECT& client)
{
    if (FAILED(OleCreate(CLSID_ShockwaveFlash, IID_IOleObject, OLERENDER_DRAW, nullptr, myClientSite,
                         myStorage, reinterpret_cast<void**>(&myOleObject)))) {
        myOleObject = nullptr;
        par::logSevere("SwfWindow(). Failed to create Shockwave component.");
        return;
    }
    myInPlaceSite->setOleObject(myOleObject);
    myOleObject->SetHostNames(L"Skyvane", nullptr);

    if (FAILED(OleSetContainedObject(myOleObject, TRUE))) {
        par::logSevere("SwfWindow(). Failed to execute ::OleSetContainedObject().");
        return;
    }
    // Released on every road out of here.
    IConnectionPointContainerPtr container;
    if (FAILED(myOleObject->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&container))) ||
        !container) {
        par::logSevere("SwfWindow(). Failed to access IID_IConnectionPointContainer.");
        return;
    }
    if (FAILED(container->FindConnectionPoint(DIID__IShockwaveFlashEvents, &myConnectionPoint))) {
        myConnectionPoint = nullptr;
        par::logSevere("SwfWindow(). Failed to access _IShockwaveFlashEvents.");
        return;
    }
    const HRESULT advised = myConnectionPoint->Advise(myEventSink, &myAdviseCookie);
    if (FAILED(advised)) {
        myAdviseCookie = 0;
        par::logSevere(swfWindow::comErrorText(_com_error(advised)));
    } else if (advised != S_OK) {
        par::logSevere("SwfWindow(). Failed to Advise ShockwaveEvents.");
        return;
    }
    container = nullptr;

    RECT position = client;
    if (FAILED(myOleObject->DoVerb(OLEIVERB_SHOW, nullptr, myClientSite, -1, getHandle(), &position))) {
        par::logSevere("SwfWindow(). Failed to show Shockwave component.");
        return;
    }
    if (FAILED(myOleObject->QueryInterface(IID_IShockwaveFlash, reinterpret_cast<void**>(&myFlash)))) {
        myFlash = nullptr;
        par::logSevere("SwfWindow(). Failed to obtain IShockwaveFlash interface.");
    }
}

SwfWindow::~SwfWindow()
{
    if (myFlash)
        myFlash->Release();
    if (myConnectionPoint) {
        if (myAdviseCookie)
            myConnectionPoint->Unadvise(myAdviseCookie);
        myConnectionPoint->Release();
    }
    if (myOleObject) {
        myOleObject->Close(OLECLOSE_NOSAVE);
        myOleObject->Release();
    }
    delete myInfiniteLoopMonitor;
    delete myClientSite;
    delete myInPlaceSite;
    delete myStorage;
    delete myEventSink;
    delete myCommandEventManager;
    myRequests.clear();
}

void SwfWindow::addListener(Listener* listener, bool owned)
{
    myListeners.add(listener, owned);
}

void SwfWindow::setFocus()
{
    const IOleInPlaceObjectPtr inPlaceObject = inPlaceObjectOf(myOleObject);
    if (!inPlaceObject)
        return;
    HWND control = nullptr;
    if (SUCCEEDED(inPlaceObject->GetWindow(&control)))
        SetFocus(control);
}

LRESULT SwfWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        const IOleInPlaceObjectPtr inPlaceObject = inPlaceObjectOf(myOleObject);
        if (inPlaceObject) {
            const RECT bounds = {0, 0, LOWORD(lParam), HIWORD(lParam)};
            inPlaceObject->SetObjectRects(&bounds, &bounds);
        }
    }
    return par::Container::handleMessage(message, wParam, lParam);
}

int SwfWindow::setVariable(const std::string& name, const std::string& value)
{
    if (!myFlash)
        return -1;
    check(myFlash->SetVariable(_bstr_t(ansiToWide(name).c_str()), _bstr_t(ansiToWide(value).c_str())));
    return 0;
}

void SwfWindow::setXmlVariable(const std::string& name, IXMLDOMDocument2Ptr document)
{
    if (!myFlash)
        return;
    BSTR xml = nullptr;
    check(document->get_xml(&xml));
    const _bstr_t owned(xml, false);
    std::string text = wideToAnsi(xml ? std::wstring(xml, SysStringLen(xml)) : std::wstring());
    par::replaceAll(text, "\r\n", "\n");
    setVariable(name, text);
}

void SwfWindow::sendXmlCommand(IXMLDOMDocument2Ptr document)
{
    setXmlVariable("xmlCommand", document);
}

void SwfWindow::sendXmlRequest(Request* request)
{
    std::unique_ptr<Request> owned(request);
    const IXMLDOMDocument2Ptr document = owned->getDocument();
    IXMLDOMElementPtr root;
    check(document->get_documentElement(&root));
    const std::string id = par::getXmlAttribute(root, "id");
    // A sender that reuses a pending id gives the older request up; it is
    // dropped without completion rather than lost.
    myRequests[id] = std::move(owned);
    setXmlVariable("xmlRequest", document);
}

void SwfWindow::onXmlResponse(IXMLDOMDocument2Ptr document)
{
    IXMLDOMElementPtr root;
    check(document->get_documentElement(&root));
    const std::string id = par::getXmlAttribute(root, "id");
    if (id.empty()) {
        par::logSevere("SwfWindow::onXmlResponse(), id is undefined");
        return;
    }
    const auto found = myRequests.find(id);
    if (found == myRequests.end()) {
        par::logSevere("SwfWindow::onXmlResponse(), request not found, id=" + id);
        return;
    }
    // Taken out first: the request may file a new one under its own id.
    const std::unique_ptr<Request> request = std::move(found->second);
    myRequests.erase(found);
    request->onResponse(document);
}
