#include "htmlwindow/Storage.h"

#include "HtmlWindowFixture.h"

using test::ComPtr;

namespace {

class SiteObjectsTest : public test::HtmlWindowFixture {
protected:
    // The method named in the box, or "" when no box or another caption.
    std::wstring boxedMethod(HRESULT result)
    {
        EXPECT_EQ(E_NOTIMPL, result);
        std::wstring method;
        if (myBoxes.boxes().size() == 1 && myBoxes.boxes()[0].caption == L"Not Implemented")
            method = myBoxes.boxes()[0].text;
        myBoxes.clear();
        return method;
    }
};

} // namespace

TEST_F(SiteObjectsTest, UnsupportedMethodsShowANotImplementedBox)
{
    HtmlWindow window(L"", false);
    ComPtr<IOleClientSite> client = clientSite(window);
    ComPtr<IOleInPlaceSite> site = inPlaceSite(window);
    ComPtr<IOleInPlaceFrame> frame = this->frame(window);
    ASSERT_TRUE(client && site && frame);
    htmlWindow::Storage storage;

    IMoniker* moniker = nullptr;
    EXPECT_EQ(L"GetMoniker", boxedMethod(client->GetMoniker(0, 0, &moniker)));
    EXPECT_EQ(L"RequestNewObjectLayout", boxedMethod(client->RequestNewObjectLayout()));
    EXPECT_EQ(L"Scroll", boxedMethod(site->Scroll(SIZE{1, 1})));
    EXPECT_EQ(L"DeactivateAndUndo", boxedMethod(site->DeactivateAndUndo()));
    EXPECT_EQ(L"InsertMenus", boxedMethod(frame->InsertMenus(nullptr, nullptr)));
    EXPECT_EQ(L"TranslateAccelerator", boxedMethod(frame->TranslateAccelerator(nullptr, 0)));
    IStream* stream = nullptr;
    EXPECT_EQ(L"CreateStream", boxedMethod(storage.CreateStream(L"s", 0, 0, 0, &stream)));
    EXPECT_EQ(L"Stat", boxedMethod(storage.Stat(nullptr, 0)));

    void* object = &storage;
    EXPECT_EQ(L"QueryInterface", boxedMethod(frame->QueryInterface(IID_IUnknown, &object)));
    EXPECT_EQ(nullptr, object);
}

TEST_F(SiteObjectsTest, ClientSiteHandsOutTheOtherSites)
{
    HtmlWindow window(L"", false);
    ComPtr<IOleClientSite> client = clientSite(window);
    ASSERT_TRUE(client);

    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, client.As(&unknown));
    ComPtr<IOleInPlaceSite> site;
    ASSERT_EQ(S_OK, client.As(&site));
    ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(S_OK, client.As(&handler));

    // The other sites ask the client site in turn.
    ComPtr<IOleClientSite> fromSite;
    EXPECT_EQ(S_OK, site.As(&fromSite));
    EXPECT_EQ(client.Get(), fromSite.Get());
    ComPtr<IOleInPlaceSite> fromHandler;
    EXPECT_EQ(S_OK, handler.As(&fromHandler));
    EXPECT_EQ(site.Get(), fromHandler.Get());

    void* object = &window;
    EXPECT_EQ(E_NOINTERFACE, client->QueryInterface(IID_IOleInPlaceFrame, &object));
    EXPECT_EQ(nullptr, object);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(&window);
    EXPECT_EQ(E_NOINTERFACE, client->GetContainer(&container));
    EXPECT_EQ(nullptr, container);
}
