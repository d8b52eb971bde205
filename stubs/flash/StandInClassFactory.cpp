#include "StandInClassFactory.h"

#include "FlashStandIn.h"
#include "StandInModule.h"

#include "util/ExceptionUtil.h"

namespace standin {

IClassFactory* StandInClassFactory::create()
{
    return new StandInClassFactory();
}

StandInClassFactory::StandInClassFactory()
{
    addModuleReference();
}

StandInClassFactory::~StandInClassFactory()
{
    releaseModuleReference();
}

HRESULT STDMETHODCALLTYPE StandInClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE StandInClassFactory::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&myReferences));
}

ULONG STDMETHODCALLTYPE StandInClassFactory::Release()
{
    const LONG references = InterlockedDecrement(&myReferences);
    if (references == 0)
        delete this;
    return static_cast<ULONG>(references);
}

HRESULT STDMETHODCALLTYPE StandInClassFactory::CreateInstance(IUnknown* outer, REFIID riid,
                                                              void** object)
{
    return par::callGuarded("StandInClassFactory::CreateInstance()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return FlashStandIn::create(riid, object);
    });
}

HRESULT STDMETHODCALLTYPE StandInClassFactory::LockServer(BOOL lock)
{
    if (lock)
        addModuleReference();
    else
        releaseModuleReference();
    return S_OK;
}

} // namespace standin
