#include "swfwindow/StorageStub.h"

#include "swfwindow/ComDiagnostics.h"

namespace swfWindow {

HRESULT STDMETHODCALLTYPE StorageStub::QueryInterface(REFIID, void** object)
{
    if (object)
        *object = nullptr;
    return logNotImplemented("QueryInterface");
}

ULONG STDMETHODCALLTYPE StorageStub::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE StorageStub::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE StorageStub::CreateStream(const OLECHAR*, DWORD, DWORD, DWORD, IStream**)
{
    return logNotImplemented("CreateStream");
}

HRESULT STDMETHODCALLTYPE StorageStub::OpenStream(const OLECHAR*, void*, DWORD, DWORD, IStream**)
{
    return logNotImplemented("OpenStream");
}

HRESULT STDMETHODCALLTYPE StorageStub::CreateStorage(const OLECHAR*, DWORD, DWORD, DWORD, IStorage**)
{
    return logNotImplemented("CreateStorage");
}

HRESULT STDMETHODCALLTYPE StorageStub::OpenStorage(const OLECHAR*, IStorage*, DWORD, SNB, DWORD,
                                                   IStorage**)
{
    return logNotImplemented("OpenStorage");
}

HRESULT STDMETHODCALLTYPE StorageStub::CopyTo(DWORD, const IID*, SNB, IStorage*)
{
    return logNotImplemented("CopyTo");
}

HRESULT STDMETHODCALLTYPE StorageStub::MoveElementTo(const OLECHAR*, IStorage*, const OLECHAR*, DWORD)
{
    return logNotImplemented("MoveElementTo");
}

HRESULT STDMETHODCALLTYPE StorageStub::Commit(DWORD)
{
    return logNotImplemented("Commit");
}

HRESULT STDMETHODCALLTYPE StorageStub::Revert()
{
    return logNotImplemented("Revert");
}

HRESULT STDMETHODCALLTYPE StorageStub::EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**)
{
    return logNotImplemented("EnumElements");
}

HRESULT STDMETHODCALLTYPE StorageStub::DestroyElement(const OLECHAR*)
{
    return logNotImplemented("DestroyElement");
}

HRESULT STDMETHODCALLTYPE StorageStub::RenameElement(const OLECHAR*, const OLECHAR*)
{
    return logNotImplemented("RenameElement");
}

HRESULT STDMETHODCALLTYPE StorageStub::SetElementTimes(const OLECHAR*, const FILETIME*,
                                                       const FILETIME*, const FILETIME*)
{
    return logNotImplemented("SetElementTimes");
}

HRESULT STDMETHODCALLTYPE StorageStub::SetClass(REFCLSID)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StorageStub::SetStateBits(DWORD, DWORD)
{
    return logNotImplemented("SetStateBits");
}

HRESULT STDMETHODCALLTYPE StorageStub::Stat(STATSTG*, DWORD)
{
    return logNotImplemented("Stat");
}

} // namespace swfWindow
