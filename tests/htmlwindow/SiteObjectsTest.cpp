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

    EXPECT_EQ(L"RequestNewObjectLayout", boxedMethod(client->RequestNewObjectLayout()));
    EXPECT_EQ(L"Scroll", boxedMethod(site->Scroll(SIZE{1, 1})));
    EXPECT_EQ(L"InsertMenus", boxedMethod(frame->InsertMenus(nullptr, nullptr)));
    EXPECT_EQ(L"Stat", boxedMethod(storage.Stat(nullptr, 0)));

    void* object = &storage;
    EXPECT_EQ(L"QueryInterface", boxedMethod(frame->QueryInterface(IID_IUnknown, &object)));
    EXPECT_EQ(nullptr, object);
}
