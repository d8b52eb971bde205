#include "HtmlWindowFixture.h"

#include "MessagePump.h"

#include <exdispid.h>

namespace test {

HRESULT STDMETHODCALLTYPE NavigationListener::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                                     VARIANT*, EXCEPINFO*, UINT*)
{
    // BeforeNavigate2's arguments arrive last first: the URL is the second.
    if (id != DISPID_BEFORENAVIGATE2 || !params || params->cArgs < 2)
        return S_OK;
    const VARIANT* url = &params->rgvarg[params->cArgs - 2];
    if (V_VT(url) == (VT_BYREF | VT_VARIANT))
        url = V_VARIANTREF(url);
    urls.push_back(V_VT(url) == VT_BSTR && V_BSTR(url) ? V_BSTR(url) : L"");
    return S_OK;
}

void HtmlWindowFixture::SetUp()
{
    ASSERT_EQ(S_OK, OleInitialize(nullptr));
}

void HtmlWindowFixture::TearDown()
{
    // A test that expects boxes takes them out of the list.
    EXPECT_TRUE(myBoxes.boxes().empty());
    OleUninitialize();
}

ComPtr<IOleClientSite> HtmlWindowFixture::clientSite(HtmlWindow& window)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    if (SUCCEEDED(window.getWebBrowser(*browser.GetAddressOf())) && SUCCEEDED(browser.As(&object)))
        object->GetClientSite(&site);
    return site;
}

ComPtr<IOleInPlaceSite> HtmlWindowFixture::inPlaceSite(HtmlWindow& window)
{
    ComPtr<IOleInPlaceSite> site;
    if (ComPtr<IOleClientSite> client = clientSite(window))
        client.As(&site);
    return site;
}

ComPtr<IDocHostUIHandler> HtmlWindowFixture::uiHandler(HtmlWindow& window)
{
    ComPtr<IDocHostUIHandler> handler;
    if (ComPtr<IOleClientSite> client = clientSite(window))
        client.As(&handler);
    return handler;
}

ComPtr<IOleInPlaceFrame> HtmlWindowFixture::frame(HtmlWindow& window)
{
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position;
    RECT clip;
    OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
    if (ComPtr<IOleInPlaceSite> site = inPlaceSite(window))
        site->GetWindowContext(&frame, &document, &position, &clip, &info);
    return frame;
}

bool HtmlWindowFixture::waitForNavigations(const NavigationListener& listener, std::size_t count)
{
    return pumpUntil([&] { return listener.urls.size() >= count; }, 5000);
}

} // namespace test
