#include "TestContainer.h"

namespace test {

using namespace ShockwaveFlashObjects;

namespace {

const wchar_t* const kWindowClass = L"FlashStandInTestContainer";

HWND createWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, kWindowClass, L"container", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring argumentText(const VARIANTARG& argument)
{
    if (argument.vt == VT_BSTR)
        return argument.bstrVal ? std::wstring(argument.bstrVal, SysStringLen(argument.bstrVal))
                                : std::wstring();
    if (argument.vt == VT_I4)
        return std::to_wstring(argument.lVal);
    return L"?";
}

} // namespace

std::vector<FlashEvent> EventSink::ofKind(DISPID id) const
{
    std::vector<FlashEvent> found;
    for (const FlashEvent& event : events) {
        if (event.id == id)
            found.push_back(event);
    }
    return found;
}

HRESULT STDMETHODCALLTYPE EventSink::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IShockwaveFlashEvents) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                            VARIANT*, EXCEPINFO*, UINT*)
{
    FlashEvent event{id, {}};
    for (UINT i = params->cArgs; i > 0; --i)
        event.args.push_back(argumentText(params->rgvarg[i - 1]));
    events.push_back(event);
    if (id == DISPID_FLASH_FLASHCALL && onFlashCall)
        onFlashCall(event.args.at(0));
    if (id == DISPID_FLASH_FSCOMMAND && onFsCommand)
        onFsCommand(event.args.at(0), event.args.at(1));
    return S_OK;
}

TestContainer::TestContainer() : myWindow(createWindow())
{
    ComPtr<ILockBytes> bytes;
    CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.GetAddressOf());
    StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                 0, myStorage.GetAddressOf());
}

TestContainer::~TestContainer()
{
    close();
    DestroyWindow(myWindow);
}

HRESULT TestContainer::embed()
{
    HRESULT result = OleCreate(CLSID_ShockwaveFlash, IID_IOleObject, OLERENDER_DRAW, nullptr,
                               this, myStorage.Get(),
                               reinterpret_cast<void**>(myObject.GetAddressOf()));
    if (FAILED(result))
        return result;
    myObject->SetHostNames(L"TestContainer", nullptr);
    if (FAILED(result = OleSetContainedObject(myObject.Get(), TRUE)))
        return result;
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(result = myObject.As(&points)) ||
        FAILED(result = points->FindConnectionPoint(DIID__IShockwaveFlashEvents,
                                                    myConnectionPoint.GetAddressOf())) ||
        FAILED(result = myConnectionPoint->Advise(&mySink, &myCookie)))
        return result;
    RECT client;
    GetClientRect(myWindow, &client);
    if (FAILED(result = myObject->DoVerb(OLEIVERB_SHOW, nullptr, this, -1, myWindow, &client)))
        return result;
    if (FAILED(result = myObject.As(&myFlash)))
        return result;
    return myObject.As(&myStandIn);
}

void TestContainer::close()
{
    myStandIn.Reset();
    myFlash.Reset();
    if (myConnectionPoint) {
        myConnectionPoint->Unadvise(myCookie);
        myConnectionPoint.Reset();
    }
    if (myObject) {
        myObject->Close(OLECLOSE_NOSAVE);
        myObject.Reset();
    }
}

HRESULT STDMETHODCALLTYPE TestContainer::QueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
        return S_OK;
    }
    if (riid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
        return S_OK;
    }
    if (riid == IID_IOleInPlaceSiteEx)
        mySiteCalls.push_back("QueryInterface(IOleInPlaceSiteEx)");
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TestContainer::ShowObject()
{
    mySiteCalls.push_back("ShowObject");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestContainer::GetWindow(HWND* window)
{
    *window = myWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestContainer::CanInPlaceActivate()
{
    mySiteCalls.push_back("CanInPlaceActivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceActivate()
{
    mySiteCalls.push_back("OnInPlaceActivate");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestContainer::GetWindowContext(IOleInPlaceFrame** frame,
                                                          IOleInPlaceUIWindow** document,
                                                          LPRECT position, LPRECT,
                                                          LPOLEINPLACEFRAMEINFO)
{
    mySiteCalls.push_back("GetWindowContext");
    *frame = nullptr;
    *document = nullptr;
    GetClientRect(myWindow, position);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestContainer::OnInPlaceDeactivate()
{
    mySiteCalls.push_back("OnInPlaceDeactivate");
    return S_OK;
}

} // namespace test
