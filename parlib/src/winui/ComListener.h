#pragma once

#include <windows.h>
#include <oaidl.h>

namespace par {

// Base of the COM event listeners that a window connects to a control. It
// counts no references: its owner deletes it. Subclasses implement Invoke.
class ComListener : public IDispatch {
public:
    ComListener() = default;
    ComListener(const ComListener&) = delete;
    ComListener& operator=(const ComListener&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // The owner deletes it through this base.
    virtual ~ComListener() = default;

    // The connection point's cookie, kept by whoever connects the listener.
    DWORD getCookie() const { return myCookie; }
    void setCookie(DWORD cookie) { myCookie = cookie; }

private:
    DWORD myCookie = 0;
};

} // namespace par
