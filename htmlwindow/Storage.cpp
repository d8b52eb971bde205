#include "htmlwindow/Storage.h"

#include "htmlwindow/NotImplemented.h"

namespace htmlWindow {

HRESULT STDMETHODCALLTYPE Storage::QueryInterface(REFIID, void** object)
{
    if (object)
        *object = nullptr;
    return notImplemented(L"QueryInterface");
}

HRESULT STDMETHODCALLTYPE Storage::CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**)
{
    return notImplemented(L"CreateStream");
}

HRESULT STDMETHODCALLTYPE Storage::OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**)
{
    return notImplemented(L"OpenStream");
}

HRESULT STDMETHODCALLTYPE Storage::CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**)
{
    return notImplemented(L"CreateStorage");
}

HRESULT STDMETHODCALLTYPE Storage::OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**)
{
    return notImplemented(L"OpenStorage");
}

HRESULT STDMETHODCALLTYPE Storage::CopyTo(DWORD, const IID*, SNB, IStorage*)
{
    return notImplemented(L"CopyTo");
}

HRESULT STDMETHODCALLTYPE Storage::MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD)
{
    return notImplemented(L"MoveElementTo");
}

HRESULT STDMETHODCALLTYPE Storage::Commit(DWORD)
{
    return notImplemented(L"Commit");
}

HRESULT STDMETHODCALLTYPE Storage::Revert()
{
    return notImplemented(L"Revert");
}

HRESULT STDMETHODCALLTYPE Storage::EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**)
{
    return notImplemented(L"EnumElements");
}

HRESULT STDMETHODCALLTYPE Storage::DestroyElement(const OLECHAR*)
{
    return notImplemented(L"DestroyElement");
}

HRESULT STDMETHODCALLTYPE Storage::RenameElement(const OLECHAR*, const OLECHAR*)
{
    return notImplemented(L"RenameElement");
}

HRESULT STDMETHODCALLTYPE Storage::SetElementTimes(const OLECHAR*, const FILETIME*, const FILETIME*,
                                                   const FILETIME*)
{
    return notImplemented(L"SetElementTimes");
}

HRESULT STDMETHODCALLTYPE Storage::SetClass(REFCLSID)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE Storage::SetStateBits(DWORD, DWORD)
{
    return notImplemented(L"SetStateBits");
}

HRESULT STDMETHODCALLTYPE Storage::Stat(STATSTG*, DWORD)
{
    return notImplemented(L"Stat");
}

} // namespace htmlWindow
