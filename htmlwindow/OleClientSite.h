#pragma once

#include <windows.h>
#include <mshtmhst.h>
#include <oleidl.h>

namespace htmlWindow {

// The browser's client site. It is the browser's way to the other site
// objects: it hands out the in-place site, the UI handler and the page
// window's event part. Reference counts are not kept.
class OleClientSite : public IOleClientSite {
public:
    OleClientSite(IOleInPlaceSite* inPlaceSite, IDocHostUIHandler* uiHandler, IDispatch* events);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

private:
    IOleInPlaceSite* myInPlaceSite;
    IDocHostUIHandler* myUiHandler;
    IDispatch* myEvents;
};

} // namespace htmlWindow
