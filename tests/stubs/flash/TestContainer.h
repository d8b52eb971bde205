#pragma once

#include "IFlashStandIn.h"
#include "swfwindow/ShockwaveFlash.h"

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace test {

using Microsoft::WRL::ComPtr;

// One event as the control fired it; arguments in call order (DISPPARAMS
// holds them the other way round), numbers as decimal text.
struct FlashEvent {
    DISPID id;
    std::vector<std::wstring> args;
};

// Records the control's events; FlashCall may answer through a handler.
class EventSink : public IDispatch {
public:
    std::vector<FlashEvent> events;
    // Called for FlashCall with the request, inside the event.
    std::function<void(const std::wstring&)> onFlashCall;
    // Called for FSCommand with the command and its arguments, inside the event.
    std::function<void(const std::wstring&, const std::wstring&)> onFsCommand;

    std::vector<FlashEvent> ofKind(DISPID id) const;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override;
};

// A minimal OLE container for the control: a top-level window, one object
// that is client site and in-place site, a storage in memory and an event
// sink. It records the site calls the control makes.
class TestContainer : public IOleClientSite, public IOleInPlaceSite {
public:
    TestContainer();
    virtual ~TestContainer();
    TestContainer(const TestContainer&) = delete;
    TestContainer& operator=(const TestContainer&) = delete;

    // The embedding road of a host: OleCreate, SetHostNames,
    // OleSetContainedObject, the event connection, DoVerb(OLEIVERB_SHOW),
    // IShockwaveFlash. Answers the first failure.
    HRESULT embed();
    // Unadvise, Close(OLECLOSE_NOSAVE), release.
    void close();

    HWND window() const { return myWindow; }
    IOleObject* object() const { return myObject.Get(); }
    ShockwaveFlashObjects::IShockwaveFlash* flash() const { return myFlash.Get(); }
    IFlashStandIn* standIn() const { return myStandIn.Get(); }
    EventSink& sink() { return mySink; }
    const std::vector<std::string>& siteCalls() const { return mySiteCalls; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return E_NOTIMPL; }

private:
    HWND myWindow = nullptr;
    ComPtr<IStorage> myStorage;
    ComPtr<IOleObject> myObject;
    ComPtr<IConnectionPoint> myConnectionPoint;
    DWORD myCookie = 0;
    ComPtr<ShockwaveFlashObjects::IShockwaveFlash> myFlash;
    ComPtr<IFlashStandIn> myStandIn;
    EventSink mySink;
    std::vector<std::string> mySiteCalls;
};

} // namespace test
