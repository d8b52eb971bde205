#include "swfwindow/SwfWindow.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/CommandEventManager.h"
#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/OleClientSite.h"
#include "swfwindow/OleInPlaceSite.h"
#include "swfwindow/StorageStub.h"
#include "swfwindow/SwfWindowListener.h"

#include "util/ComUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

using namespace ShockwaveFlashObjects;

using Microsoft::WRL::ComPtr;

namespace {

// Narrow texts of native callers are in the system's ANSI code page.
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

ComPtr<IOleInPlaceObject> inPlaceObjectOf(IOleObject* object)
{
    ComPtr<IOleInPlaceObject> inPlaceObject;
    if (object)
        object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlaceObject.GetAddressOf()));
    return inPlaceObject;
}

} // namespace

SwfWindow::Request::Request(IXMLDOMDocument2Ptr document) : myDocument(document)
{
}

IXMLDOMDocument2Ptr SwfWindow::Request::makeDocument(const std::string& id)
{
    IXMLDOMDocument2Ptr document = par::createXmlDocument("asyncRequest");
    IXMLDOMElementPtr root;
    document->get_documentElement(&root);
    par::setXmlAttribute(root, "id", id);
    return document;
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
SwfWindow::SwfWindow() : SwfWindow(nullptr) {}

SwfWindow::SwfWindow(par::Window* holder)
    : par::Container(holder, par::Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT)
{
    RECT client;
    GetClientRect(getHandle(), &client);
    setNoErase(true);

    if (myOle.result() != S_OK && myOle.result() != S_FALSE)
        par::logSevere("SwfWindow(). OLE initialization failed.");

    myCommandEventManager = std::make_unique<swfWindow::CommandEventManager>(this);
    myInfiniteLoopMonitor = std::make_unique<swfWindow::InfiniteLoopMonitor>(this);
    myStorage = std::make_unique<swfWindow::StorageStub>();
    myInPlaceSite = std::make_unique<swfWindow::OleInPlaceSite>(getHandle());
    myClientSite = std::make_unique<swfWindow::OleClientSite>(myInPlaceSite.get());
    myInPlaceSite->setClientSite(myClientSite.get());
    myEventSink.Attach(new swfWindow::SwfWindowListener(this));
    myClientSite->setEventSink(myEventSink.Get());

    createControl(client);
}

void SwfWindow::createControl(const RECT& client)
{
    if (FAILED(OleCreate(CLSID_ShockwaveFlash, IID_IOleObject, OLERENDER_DRAW, nullptr, myClientSite.get(),
                         myStorage.get(), reinterpret_cast<void**>(myOleObject.ReleaseAndGetAddressOf())))) {
        myOleObject.Reset();
        par::logSevere("SwfWindow(). Failed to create Shockwave component.");
        return;
    }
    myInPlaceSite->setOleObject(myOleObject.Get());
    myOleObject->SetHostNames(L"Skyvane", nullptr);

    if (FAILED(OleSetContainedObject(myOleObject.Get(), TRUE))) {
        par::logSevere("SwfWindow(). Failed to execute ::OleSetContainedObject().");
        return;
    }
    // Released on every road out of here.
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(myOleObject.As(&container)) || !container) {
        par::logSevere("SwfWindow(). Failed to access IID_IConnectionPointContainer.");
        return;
    }
    if (FAILED(container->FindConnectionPoint(DIID__IShockwaveFlashEvents,
                                              myConnectionPoint.ReleaseAndGetAddressOf()))) {
        myConnectionPoint.Reset();
        par::logSevere("SwfWindow(). Failed to access _IShockwaveFlashEvents.");
        return;
    }
    const HRESULT advised = myConnectionPoint->Advise(myEventSink.Get(), &myAdviseCookie);
    if (FAILED(advised)) {
        myAdviseCookie = 0;
        par::logSevere(swfWindow::comErrorText(_com_error(advised)));
    } else if (advised != S_OK) {
        par::logSevere("SwfWindow(). Failed to Advise ShockwaveEvents.");
        return;
    }
    container.Reset();

    RECT position = client;
    if (FAILED(myOleObject->DoVerb(OLEIVERB_SHOW, nullptr, myClientSite.get(), -1, getHandle(), &position))) {
        par::logSevere("SwfWindow(). Failed to show Shockwave component.");
        return;
    }
    if (FAILED(myOleObject->QueryInterface(IID_IShockwaveFlash,
                                           reinterpret_cast<void**>(myFlash.ReleaseAndGetAddressOf())))) {
        myFlash.Reset();
        par::logSevere("SwfWindow(). Failed to obtain IShockwaveFlash interface.");
    }
}

// The control may outlive the window (another holder, or an event still
// running): it is cut off from every site before any site goes.
SwfWindow::~SwfWindow()
{
    myFlash.Reset();
    if (myConnectionPoint && myAdviseCookie)
        myConnectionPoint->Unadvise(myAdviseCookie);
    myConnectionPoint.Reset();
    if (myOleObject) {
        myOleObject->Close(OLECLOSE_NOSAVE);
        myOleObject->SetClientSite(nullptr);
        myOleObject.Reset();
    }
    myInfiniteLoopMonitor.reset();
    myClientSite.reset();
    myInPlaceSite.reset();
    myStorage.reset();
    myEventSink->detach();
    myEventSink.Reset();
    myCommandEventManager.reset();
    myRequests.clear();
}
void SwfWindow::addListener(Listener* listener, bool owned)
{
    myListeners.add(listener, owned);
}

void SwfWindow::setFocus()
{
    const ComPtr<IOleInPlaceObject> inPlaceObject = inPlaceObjectOf(myOleObject.Get());
    if (!inPlaceObject)
        return;
    HWND control = nullptr;
    if (SUCCEEDED(inPlaceObject->GetWindow(&control)))
        SetFocus(control);
}

LRESULT SwfWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        const ComPtr<IOleInPlaceObject> inPlaceObject = inPlaceObjectOf(myOleObject.Get());
        if (inPlaceObject) {
            const RECT bounds = {0, 0, LOWORD(lParam), HIWORD(lParam)};
            inPlaceObject->SetObjectRects(&bounds, &bounds);
        }
    }
    return par::Container::handleMessage(message, wParam, lParam);
}

int SwfWindow::setVariable(const std::wstring& name, const std::wstring& value)
{
    if (!myFlash)
        return -1;
    par::checkResult(myFlash->SetVariable(_bstr_t(name.c_str()), _bstr_t(value.c_str())));
    return 0;
}

int SwfWindow::setVariable(const std::string& name, const std::string& value)
{
    return setVariable(ansiToWide(name), ansiToWide(value));
}

void SwfWindow::setXmlVariable(const std::string& name, IXMLDOMDocument2Ptr document)
{
    if (!myFlash)
        return;
    BSTR xml = nullptr;
    par::checkResult(document->get_xml(&xml));
    const _bstr_t owned(xml, false);
    std::wstring text = par::bstrToWide(xml);
    par::replaceAll(text, L"\r\n", L"\n");
    setVariable(ansiToWide(name), text);
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
    par::checkResult(document->get_documentElement(&root));
    const std::string id = par::getXmlAttribute(root, "id");
    // A sender that reuses a pending id gives the older request up; it is
    // dropped without completion rather than lost.
    Request* const filed = owned.get();
    myRequests[id] = std::move(owned);
    // Filed before the write, as the movie may answer inside it; unfiled
    // when the write fails, so that no later answer finds a request that
    // never reached the movie.
    try {
        setXmlVariable("xmlRequest", document);
    } catch (...) {
        const auto found = myRequests.find(id);
        if (found != myRequests.end() && found->second.get() == filed)
            myRequests.erase(found);
        throw;
    }
}

void SwfWindow::onXmlResponse(IXMLDOMDocument2Ptr document)
{
    IXMLDOMElementPtr root;
    par::checkResult(document->get_documentElement(&root));
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
