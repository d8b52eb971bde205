#include "htmlwindow/DocHostUiHandler.h"

#include "htmlwindow/HtmlWindow.h"
#include "htmlwindow/UrlUtil.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace htmlWindow {

namespace {

// URLs in pages travel in the system code page, not character by character.
std::string toSystemCodePage(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::vector<char> buffer(size);
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr, nullptr);
    return std::string(buffer.data());
}

OLECHAR* taskMemCopy(const wchar_t* text)
{
    const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    OLECHAR* copy = static_cast<OLECHAR*>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

} // namespace

DocHostUiHandler::DocHostUiHandler(HtmlWindow& window) : myWindow(window)
{
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::QueryInterface(REFIID riid, void** object)
{
    if (!myClientSite) {
        if (object)
            *object = nullptr;
        return E_NOINTERFACE;
    }
    return myClientSite->QueryInterface(riid, object);
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::GetHostInfo(DOCHOSTUIINFO* info)
{
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
    if (!myWindow.hasScrollbars())
        info->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
    info->dwDoubleClick = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                                   IOleInPlaceFrame*, IOleInPlaceUIWindow*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::HideUI()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::UpdateUI()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::EnableModeless(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::GetOptionKeyPath(LPOLESTR*, DWORD)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::GetDropTarget(IDropTarget*, IDropTarget**)
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::GetExternal(IDispatch** external)
{
    *external = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::TranslateUrl(DWORD, OLECHAR* url, OLECHAR** translated)
{
    if (!url)
        return S_OK;
    std::string scheme;
    std::string rest;
    if (!splitSchemeUrl(toSystemCodePage(url), scheme, rest) || scheme != "app")
        return S_OK;

    // The request's text belongs to the message from here on.
    std::string* request = new std::string(rest);
    if (!PostMessageA(myWindow.getHandle(), HtmlWindow::WM_PAGE_REQUEST,
                      reinterpret_cast<WPARAM>(request), 0))
        delete request;

    *translated = taskMemCopy(L"javascript:void(0)");
    return *translated ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE DocHostUiHandler::FilterDataObject(IDataObject*, IDataObject** replacement)
{
    *replacement = nullptr;
    return S_FALSE;
}

} // namespace htmlWindow
