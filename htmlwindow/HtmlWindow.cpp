#include "htmlwindow/HtmlWindow.h"

#include "htmlwindow/EventReceiver.h"
#include "htmlwindow/UrlUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <comdef.h>
#include <ocidl.h>

#include <exception>

using Microsoft::WRL::ComPtr;
using namespace htmlWindow;

namespace {

// A BSTR that frees itself; null when the text could not be copied.
class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : myBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~Bstr() { SysFreeString(myBstr); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return myBstr; }
    // Hands the string to a new owner, such as a VARIANT.
    BSTR release()
    {
        BSTR bstr = myBstr;
        myBstr = nullptr;
        return bstr;
    }

private:
    BSTR myBstr;
};

void showSetUpFailure(const wchar_t* text)
{
    MessageBoxW(nullptr, text, nullptr, MB_OK);
}

} // namespace

HRESULT STDMETHODCALLTYPE HtmlWindow::Listener::QueryInterface(REFIID iid, void** object)
{
    // Connection points may ask a sink for the events' own interface.
    if (object && IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    // IDocHostUIHandler stays refused: this object is only an IDispatch, and
    // the browser would call into a table of methods it does not have.
    return par::ComListener::QueryInterface(iid, object);
}

HtmlWindow::HtmlWindow(const std::wstring& content, bool isUrl)
    : par::CustomWindow(0, 0, "ParDefaultWindowClass")
{
    init();
    if (isUrl)
        navigate(content);
    else
        setHtml(content);
    myScrollbars = true;
}

HtmlWindow::~HtmlWindow()
{
    // Page requests still on their way own their texts.
    MSG message;
    while (PeekMessageA(&message, getHandle(), WM_PAGE_REQUEST, WM_PAGE_REQUEST, PM_REMOVE))
        delete reinterpret_cast<std::string*>(message.wParam);
    releaseBrowser();
}

void HtmlWindow::init()
{
    if (myOle.result() != S_OK && myOle.result() != S_FALSE)
        return;
    myHwnd = getHandle();
    createBrowser();
}

int HtmlWindow::createBrowser()
{
    myStorage.reset(new Storage());
    myFrame.reset(new OleInPlaceFrame(myHwnd));
    myInPlaceSite.reset(new OleInPlaceSite(myFrame.get(), myHwnd));
    myUiHandler.reset(new DocHostUiHandler(*this));
    myClientSite.reset(
        new OleClientSite(myInPlaceSite.get(), myUiHandler.get(), static_cast<DWebBrowserEvents2*>(this)));
    myInPlaceSite->setClientSite(myClientSite.get());
    myUiHandler->setClientSite(myClientSite.get());

    if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr, myClientSite.get(),
                         myStorage.get(), reinterpret_cast<void**>(myBrowser.GetAddressOf())))) {
        showSetUpFailure(L"Something went wrong -2");
        return -2;
    }

    myInPlaceSite->setBrowser(myBrowser.Get());
    RECT client;
    ComPtr<IWebBrowser2> webBrowser;
    const bool activated = SUCCEEDED(myBrowser->SetHostNames(L"Some_host_name", nullptr))
        && GetClientRect(myHwnd, &client)
        && SUCCEEDED(OleSetContainedObject(myBrowser.Get(), TRUE))
        && SUCCEEDED(myBrowser->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, myClientSite.get(), -1,
                                       myHwnd, &client))
        && SUCCEEDED(myBrowser.As(&webBrowser))
        && SUCCEEDED(webBrowser->put_Left(0))
        && SUCCEEDED(webBrowser->put_Top(0))
        && SUCCEEDED(webBrowser->put_Width(client.right - client.left))
        && SUCCEEDED(webBrowser->put_Height(client.bottom - client.top));
    if (!activated) {
        // A browser that is not in place is not used at all.
        webBrowser.Reset();
        releaseBrowser();
        showSetUpFailure(L"Something went wrong -3");
        return -3;
    }
    return 0;
}

void HtmlWindow::releaseBrowser()
{
    if (!myBrowser)
        return;
    // Detached first, so that the browser calls none of the sites afterwards.
    myBrowser->Close(OLECLOSE_NOSAVE);
    myBrowser->SetClientSite(nullptr);
    myInPlaceSite->setBrowser(nullptr);
    myBrowser.Reset();
}

int HtmlWindow::navigate(const std::wstring& url)
{
    ComPtr<IWebBrowser2> webBrowser;
    if (!myBrowser || FAILED(myBrowser.As(&webBrowser)))
        return RESULT_NO_WEB_BROWSER;
    Bstr bstr(url);
    if (!bstr.get())
        return RESULT_NO_URL;

    VARIANT target;
    VariantInit(&target);
    V_VT(&target) = VT_BSTR;
    V_BSTR(&target) = bstr.get();
    VARIANT empty;
    VariantInit(&empty);
    webBrowser->Navigate2(&target, &empty, &empty, &empty, &empty);
    return RESULT_OK;
}

int HtmlWindow::setHtml(const std::wstring& html)
{
    if (!myBrowser)
        return RESULT_NO_WEB_BROWSER;
    if (!myBlankLoaded) {
        const int navigated = navigate(L"about:blank");
        if (navigated != RESULT_OK)
            return navigated;
        myBlankLoaded = true;
    }

    ComPtr<IHTMLDocument2> document;
    if (FAILED(getDocument(IID_PPV_ARGS(&document))))
        return RESULT_NO_DOCUMENT;
    Bstr text(html);
    if (!text.get())
        return RESULT_NO_TEXT;
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (!lines)
        return RESULT_NO_TEXT;
    VARIANT* line = nullptr;
    if (FAILED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&line)))) {
        SafeArrayDestroy(lines);
        return RESULT_NO_TEXT;
    }
    V_VT(line) = VT_BSTR;
    V_BSTR(line) = text.release();
    SafeArrayUnaccessData(lines);

    const HRESULT written = document->write(lines);
    // Frees the text with the array.
    SafeArrayDestroy(lines);
    if (FAILED(written))
        throw "Could not write sfArray";
    document->close();
    return RESULT_OK;
}

void HtmlWindow::setBrowserSize(int width, int height)
{
    if (!myBrowser)
        return;
    ComPtr<IWebBrowser2> webBrowser;
    if (FAILED(myBrowser.As(&webBrowser))) {
        MessageBoxW(nullptr, L"Couldn't query interface for IID_IWebBrowser2", nullptr, MB_OK);
        return;
    }
    webBrowser->put_Width(width);
    webBrowser->put_Height(height);
}

HRESULT HtmlWindow::getContentSize(SIZE& size)
{
    ComPtr<IHTMLDocument3> document;
    HRESULT hr = getDocument(IID_PPV_ARGS(&document));
    if (FAILED(hr))
        return hr;
    ComPtr<IHTMLElement> root;
    hr = document->get_documentElement(&root);
    if (FAILED(hr))
        return hr;
    if (!root)
        return E_FAIL;
    ComPtr<IHTMLElement2> element;
    hr = root.As(&element);
    if (FAILED(hr))
        return hr;
    long width = 0;
    long height = 0;
    hr = element->get_scrollWidth(&width);
    if (SUCCEEDED(hr))
        hr = element->get_scrollHeight(&height);
    if (FAILED(hr))
        return hr;
    size.cx = width;
    size.cy = height;
    return S_OK;
}

HRESULT HtmlWindow::getElementById(const std::wstring& id, IHTMLElement*& element)
{
    element = nullptr;
    ComPtr<IHTMLDocument3> document;
    const HRESULT hr = getDocument(IID_PPV_ARGS(&document));
    if (FAILED(hr))
        return hr;
    Bstr bstr(id);
    if (!bstr.get())
        return E_OUTOFMEMORY;
    return document->getElementById(bstr.get(), &element);
}

HRESULT HtmlWindow::getWebBrowser(IWebBrowser2*& browser)
{
    browser = nullptr;
    if (!myBrowser)
        return E_NOINTERFACE;
    return myBrowser->QueryInterface(IID_PPV_ARGS(&browser));
}

// The document that the browser shows, as the interface asked for; no
// document (none loaded yet, or no HTML engine) is E_NOINTERFACE.
HRESULT HtmlWindow::getDocument(REFIID iid, void** document)
{
    *document = nullptr;
    ComPtr<IWebBrowser2> webBrowser;
    HRESULT hr = getWebBrowser(*webBrowser.GetAddressOf());
    if (FAILED(hr))
        return hr;
    ComPtr<IDispatch> dispatch;
    hr = webBrowser->get_Document(&dispatch);
    if (FAILED(hr))
        return hr;
    if (!dispatch)
        return E_NOINTERFACE;
    return dispatch->QueryInterface(iid, document);
}

HRESULT HtmlWindow::addListener(Listener* listener)
{
    ComPtr<IConnectionPoint> point;
    HRESULT hr = findEventsConnectionPoint(point);
    if (FAILED(hr))
        return hr;
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IDispatch*>(listener), &cookie);
    if (SUCCEEDED(hr))
        listener->setCookie(cookie);
    return hr;
}

HRESULT HtmlWindow::removeListener(Listener* listener)
{
    ComPtr<IConnectionPoint> point;
    HRESULT hr = findEventsConnectionPoint(point);
    if (FAILED(hr))
        return hr;
    hr = point->Unadvise(listener->getCookie());
    if (SUCCEEDED(hr))
        listener->setCookie(0);
    return hr;
}

HRESULT HtmlWindow::findEventsConnectionPoint(ComPtr<IConnectionPoint>& point)
{
    if (!myBrowser)
        return E_NOINTERFACE;
    ComPtr<IConnectionPointContainer> container;
    const HRESULT hr = myBrowser.As(&container);
    if (FAILED(hr))
        return hr;
    return container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point);
}

// The system's frames lie below the window procedure: no exception may
// unwind through them.
LRESULT HtmlWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    std::string failure;
    try {
        return routeMessage(message, wParam, lParam);
    } catch (const char* text) {
        failure = text ? text : "";
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (const _com_error& error) {
        failure = "COM error 0x" + par::toHexString(static_cast<int>(error.Error()));
    } catch (...) {
        failure = "exception is unknown.";
    }
    par::logSevere("HtmlWindow::handleMessage(), message " + par::toString(static_cast<int>(message)) +
                   " interrupted with exception: " + failure);
    return 0;
}

LRESULT HtmlWindow::routeMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        setBrowserSize(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_KEYDOWN:
        if (wParam != VK_TAB)
            break;
        translateTab(message, wParam, lParam);
        return 0;
    case WM_PAGE_REQUEST:
        runPageRequest(reinterpret_cast<std::string*>(wParam));
        return 0;
    default:
        break;
    }
    return par::CustomWindow::handleMessage(message, wParam, lParam);
}

// Tab moves the focus between the page's elements only when the browser
// sees the key.
void HtmlWindow::translateTab(UINT message, WPARAM wParam, LPARAM lParam)
{
    ComPtr<IOleInPlaceActiveObject> activeObject;
    if (!myBrowser || FAILED(myBrowser.As(&activeObject)))
        return;
    MSG msg = {};
    msg.hwnd = myHwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetMessageTime();
    const DWORD position = GetMessagePos();
    msg.pt.x = static_cast<short>(LOWORD(position));
    msg.pt.y = static_cast<short>(HIWORD(position));
    activeObject->TranslateAccelerator(&msg);
}

void HtmlWindow::runPageRequest(std::string* request)
{
    const std::unique_ptr<std::string> owned(request);
    if (!owned)
        return;
    std::string path;
    RequestParameters parameters;
    parseRequestUrl(*owned, path, parameters);
    std::wstring response;
    if (myEventReceiver)
        myEventReceiver->onEvent(par::toWide(path), response, parameters);
    if (!response.empty())
        setHtml(response);
}

HRESULT STDMETHODCALLTYPE HtmlWindow::QueryInterface(REFIID iid, void** object)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, DIID_DWebBrowserEvents2))
        *object = static_cast<DWebBrowserEvents2*>(this);
    else if (IsEqualIID(iid, IID_IDocHostUIHandler))
        *object = myUiHandler.get();
    else
        *object = nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HtmlWindow::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                             EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}
