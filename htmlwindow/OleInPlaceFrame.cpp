#include "htmlwindow/OleInPlaceFrame.h"

#include "htmlwindow/NotImplemented.h"

namespace htmlWindow {

OleInPlaceFrame::OleInPlaceFrame(HWND window) : myWindow(window)
{
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::QueryInterface(REFIID, void** object)
{
    if (object)
        *object = nullptr;
    return notImplemented(L"QueryInterface");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::GetWindow(HWND* window)
{
    *window = myWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::ContextSensitiveHelp(BOOL)
{
    return notImplemented(L"ContextSensitiveHelp");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::GetBorder(LPRECT)
{
    return notImplemented(L"GetBorder");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return notImplemented(L"RequestBorderSpace");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS)
{
    return notImplemented(L"SetBorderSpace");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return notImplemented(L"InsertMenus");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::RemoveMenus(HMENU)
{
    return notImplemented(L"RemoveMenus");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetStatusText(LPCOLESTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::EnableModeless(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::TranslateAccelerator(LPMSG, WORD)
{
    return notImplemented(L"TranslateAccelerator");
}

} // namespace htmlWindow
