#include "swfwindow/OleInPlaceFrame.h"

#include "swfwindow/ComDiagnostics.h"

namespace swfWindow {

OleInPlaceFrame::OleInPlaceFrame(HWND window) : myWindow(window)
{
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::QueryInterface(REFIID, void** object)
{
    if (object)
        *object = nullptr;
    return logNotImplemented("QueryInterface");
}

ULONG STDMETHODCALLTYPE OleInPlaceFrame::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE OleInPlaceFrame::Release()
{
    return 1;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = myWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::ContextSensitiveHelp(BOOL)
{
    return logNotImplemented("ContextSensitiveHelp");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::GetBorder(LPRECT)
{
    return logNotImplemented("GetBorder");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return logNotImplemented("RequestBorderSpace");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS)
{
    return logNotImplemented("SetBorderSpace");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return logNotImplemented("InsertMenus");
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::SetMenu(HMENU, HOLEMENU, HWND)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE OleInPlaceFrame::RemoveMenus(HMENU)
{
    return logNotImplemented("RemoveMenus");
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
    return logNotImplemented("TranslateAccelerator");
}

} // namespace swfWindow
