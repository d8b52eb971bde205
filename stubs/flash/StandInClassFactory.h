#pragma once

#include <windows.h>
#include <unknwn.h>

namespace standin {

// Makes stand-in controls. A test registers one in its own process with
// CoRegisterClassObject; the DLL hands one out from DllGetClassObject.
class StandInClassFactory final : public IClassFactory {
public:
    // A new factory with one reference, owned by the caller.
    static IClassFactory* create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    StandInClassFactory();
    ~StandInClassFactory();

    LONG myReferences = 1;
};

} // namespace standin
