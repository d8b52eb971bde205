#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>

namespace standin {

// The control's one connection point, for _IShockwaveFlashEvents. It lives
// inside the control and counts its references there.
class EventConnectionPoint : public IConnectionPoint {
public:
    explicit EventConnectionPoint(IConnectionPointContainer& owner) : myOwner(owner) {}
    virtual ~EventConnectionPoint();
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    // Calls Invoke of every connected sink; args are in DISPPARAMS order,
    // the last argument first.
    void fire(DISPID event, VARIANTARG* args, UINT count);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

private:
    IConnectionPointContainer& myOwner;
    std::map<DWORD, IDispatch*> mySinks;
    DWORD myLastCookie = 0;
};

} // namespace standin
