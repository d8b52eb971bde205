#pragma once

#include <windows.h>
#include <ole2.h>

namespace swfWindow {

class OleControlSite;
class OleInPlaceSite;

// The control's client site, through which it finds the host's other site
// objects and its event sink. Counts no references: its window deletes it,
// and it deletes its control site.
class OleClientSite : public IOleClientSite {
public:
    explicit OleClientSite(OleInPlaceSite* inPlaceSite);
    virtual ~OleClientSite();
    OleClientSite(const OleClientSite&) = delete;
    OleClientSite& operator=(const OleClientSite&) = delete;

    // Not owned; null until the window has made its sink.
    void setEventSink(IDispatch* eventSink) { myEventSink = eventSink; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

private:
    OleInPlaceSite* myInPlaceSite;
    OleControlSite* myControlSite;
    IDispatch* myEventSink = nullptr;
};

} // namespace swfWindow
