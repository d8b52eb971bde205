#include "EventConnectionPoint.h"

#include "swfwindow/ShockwaveFlash.h"

#include "util/ExceptionUtil.h"

#include <vector>

using ShockwaveFlashObjects::DIID__IShockwaveFlashEvents;

namespace standin {

EventConnectionPoint::~EventConnectionPoint()
{
    for (auto& sink : mySinks)
        sink.second->Release();
}

void EventConnectionPoint::fire(DISPID event, VARIANTARG* args, UINT count)
{
    // A sink may unadvise, or advise another, while it handles the event.
    std::vector<IDispatch*> sinks;
    for (auto& sink : mySinks) {
        sink.second->AddRef();
        sinks.push_back(sink.second);
    }
    DISPPARAMS parameters = {args, nullptr, count, 0};
    for (IDispatch* sink : sinks) {
        sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr,
                     nullptr, nullptr);
        sink->Release();
    }
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EventConnectionPoint::AddRef()
{
    return myOwner.AddRef();
}

ULONG STDMETHODCALLTYPE EventConnectionPoint::Release()
{
    return myOwner.Release();
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = DIID__IShockwaveFlashEvents;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = &myOwner;
    myOwner.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    return par::callGuarded("EventConnectionPoint::Advise()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!cookie)
            return E_POINTER;
        *cookie = 0;
        IDispatch* events = nullptr;
        if (!sink || FAILED(sink->QueryInterface(DIID__IShockwaveFlashEvents,
                                                 reinterpret_cast<void**>(&events))) || !events)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = ++myLastCookie;
        mySinks[*cookie] = events;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::Unadvise(DWORD cookie)
{
    auto found = mySinks.find(cookie);
    if (found == mySinks.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    mySinks.erase(found);
    sink->Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

} // namespace standin
