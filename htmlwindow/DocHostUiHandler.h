#pragma once

#include <windows.h>
#include <mshtmhst.h>

class HtmlWindow;

namespace htmlWindow {

// How the page window wants the browser's UI: no 3D borders, scrollbars as
// the window says, the browser's own context menu. Its TranslateUrl turns
// "app://" links into page requests to the window. Other interfaces are
// asked of the client site; reference counts are not kept.
class DocHostUiHandler : public IDocHostUIHandler {
public:
    explicit DocHostUiHandler(HtmlWindow& window);

    void setClientSite(IOleClientSite* clientSite) { myClientSite = clientSite; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                              IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                                     IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                                     IOleInPlaceUIWindow* document) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                           BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID* commandGroup,
                                                   DWORD commandId) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    // An "app://" URL is posted to the page window as a page request and
    // becomes "javascript:void(0)", so the browser stays on the page. Any
    // other URL is left as it is.
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object, IDataObject** replacement) override;

private:
    HtmlWindow& myWindow;
    IOleClientSite* myClientSite = nullptr;
};

} // namespace htmlWindow
