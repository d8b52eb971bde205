// The least a program needs to show a movie: a window, the Flash control
// embedded in-process and the movie loaded into it; the yardstick that the
// desktop program's start is measured against. The movie is the file
// skyvanedesktop.swf beside the program, as for skyvane.exe. With "-mt" the
// window stays hidden, as skyvane's does in the tray. WM_CLOSE ends it.
//   bench_minimal_host [-mt]
#include "swfwindow/ShockwaveFlash.h"

#include <windows.h>
#include <ole2.h>

#include <cwchar>
#include <string>

namespace {

const char WINDOW_CLASS[] = "bench.MinimalHost";

// The client site that in-place activation needs: the control's window
// takes the whole client area of ours.
class Site : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit Site(HWND window) : myWindow(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id == IID_IUnknown || id == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (id == IID_IOleWindow || id == IID_IOleInPlaceSite)
            *object = static_cast<IOleInPlaceSite*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // Lives as long as the program.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        *window = myWindow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override
    {
        *frame = nullptr;
        *document = nullptr;
        GetClientRect(myWindow, position);
        *clip = *position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND myWindow;
};

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const bool hidden = std::string(commandLine).find("-mt") != std::string::npos;
    OleInitialize(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, WINDOW_CLASS, "Minimal host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 1000, 700, nullptr, nullptr, instance, nullptr);
    Site site(window);
    IOleObject* control = nullptr;
    ShockwaveFlashObjects::IShockwaveFlash* flash = nullptr;
    if (SUCCEEDED(CoCreateInstance(ShockwaveFlashObjects::CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IOleObject, reinterpret_cast<void**>(&control)))) {
        control->SetClientSite(&site);
        RECT area;
        GetClientRect(window, &area);
        control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &area);
        control->QueryInterface(ShockwaveFlashObjects::IID_IShockwaveFlash, reinterpret_cast<void**>(&flash));
    }
    if (flash) {
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring movie = path;
        movie = movie.substr(0, movie.rfind(L'\\') + 1) + L"skyvanedesktop.swf";
        BSTR name = SysAllocString(movie.c_str());
        flash->put_Movie(name);
        SysFreeString(name);
    }
    if (!hidden)
        ShowWindow(window, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (flash)
        flash->Release();
    if (control) {
        control->Close(OLECLOSE_NOSAVE);
        control->SetClientSite(nullptr);
        control->Release();
    }
    OleUninitialize();
    return 0;
}
