#pragma once

#include "htmlwindow/DocHostUiHandler.h"
#include "htmlwindow/OleClientSite.h"
#include "htmlwindow/OleInPlaceFrame.h"
#include "htmlwindow/OleInPlaceSite.h"
#include "htmlwindow/Storage.h"
#include "util/Scoped.h"
#include "winui/ComListener.h"
#include "winui/CustomWindow.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <wrl/client.h>

#include <memory>
#include <string>

class EventReceiver;

// A window that shows an HTML page in the WebBrowser control, embedded
// through site objects of its own. Links with the scheme "app" do not
// navigate: they become requests to the window's EventReceiver. Browser
// events reach the Listeners added to the window, not the window itself.
// UI thread only, in a single-threaded apartment.
class HtmlWindow : public par::CustomWindow, public virtual DWebBrowserEvents2 {
public:
    // Posted to the window for an "app://" link: WPARAM carries a new
    // std::string with the text after "app://", owned by the message.
    static constexpr UINT WM_PAGE_REQUEST = WM_APP;

    // Results of navigate and setHtml.
    static constexpr int RESULT_OK = 0;
    static constexpr int RESULT_NO_TEXT = -1;
    static constexpr int RESULT_NO_WEB_BROWSER = -5;
    static constexpr int RESULT_NO_URL = -6;
    static constexpr int RESULT_NO_DOCUMENT = -7;

    // Receives the browser's DWebBrowserEvents2 events once added to a window.
    class Listener : public par::ComListener {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    };

    // Shows content as a URL to navigate to, or else as the page's HTML.
    HtmlWindow(const std::wstring& content, bool isUrl);
    ~HtmlWindow() override;

    int navigate(const std::wstring& url);
    // Writes html as the page. Throws the text "Could not write sfArray"
    // when the document refuses it.
    int setHtml(const std::wstring& html);
    // Takes effect for pages loaded afterwards.
    void setScrollbars(bool scrollbars) { myScrollbars = scrollbars; }
    bool hasScrollbars() const { return myScrollbars; }
    void setBrowserSize(int width, int height);
    // The size of the page's content.
    HRESULT getContentSize(SIZE& size);
    // The element is the caller's to release.
    HRESULT getElementById(const std::wstring& id, IHTMLElement*& element);
    // The browser is the caller's to release.
    HRESULT getWebBrowser(IWebBrowser2*& browser);
    HRESULT addListener(Listener* listener);
    HRESULT removeListener(Listener* listener);
    // Not owned; null drops the requests.
    void setEventReceiver(EventReceiver* receiver) { myEventReceiver = receiver; }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The window's event part, which the client site hands out for
    // DWebBrowserEvents2 and IDispatch. It reacts to no event and knows no
    // property.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    void init();
    int createBrowser();
    void releaseBrowser();
    HRESULT findEventsConnectionPoint(Microsoft::WRL::ComPtr<IConnectionPoint>& point);
    HRESULT getDocument(REFIID iid, void** document);
    LRESULT routeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void runPageRequest(std::string* request);
    void translateTab(UINT message, WPARAM wParam, LPARAM lParam);

    HWND myHwnd = nullptr;
    bool myBlankLoaded = false;
    // Declared before every COM member, so that it goes after them.
    par::ScopedOleInitialize myOle;
    Microsoft::WRL::ComPtr<IOleObject> myBrowser;
    std::unique_ptr<htmlWindow::OleClientSite> myClientSite;
    std::unique_ptr<htmlWindow::Storage> myStorage;
    std::unique_ptr<htmlWindow::OleInPlaceSite> myInPlaceSite;
    std::unique_ptr<htmlWindow::OleInPlaceFrame> myFrame;
    std::unique_ptr<htmlWindow::DocHostUiHandler> myUiHandler;
    bool myScrollbars = false;
    EventReceiver* myEventReceiver = nullptr;
};
