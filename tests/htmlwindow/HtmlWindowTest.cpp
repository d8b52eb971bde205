#include "HtmlWindowFixture.h"

#include "MessagePump.h"
#include "TempDir.h"
#include "WindowListeners.h"

#include <mshtmdid.h>
#include <ocidl.h>

#include <memory>
#include <thread>

using test::ComPtr;
using test::NavigationListener;

namespace {

class HtmlWindowTest : public test::HtmlWindowFixture {
};

HWND browserWindow(HtmlWindow& window)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IOleWindow> inPlace;
    HWND handle = nullptr;
    if (SUCCEEDED(window.getWebBrowser(*browser.GetAddressOf())) && SUCCEEDED(browser.As(&inPlace)))
        inPlace->GetWindow(&handle);
    return handle;
}

} // namespace

TEST_F(HtmlWindowTest, ActivatesTheBrowserInPlaceInsideTheWindow)
{
    HtmlWindow window(L"", false);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(S_OK, window.getWebBrowser(*browser.GetAddressOf()));
    ASSERT_TRUE(browser);

    HWND inPlace = browserWindow(window);
    ASSERT_TRUE(IsWindow(inPlace));
    EXPECT_TRUE(IsChild(window.getHandle(), inPlace));
}

TEST_F(HtmlWindowTest, EachWindowsSitesAnswerItsOwnHandle)
{
    HtmlWindow first(L"", false);
    HtmlWindow second(L"", false);

    for (HtmlWindow* window : {&first, &second}) {
        ComPtr<IOleInPlaceFrame> frame = this->frame(*window);
        ASSERT_TRUE(frame);
        HWND frameHandle = nullptr;
        EXPECT_EQ(S_OK, frame->GetWindow(&frameHandle));
        EXPECT_EQ(window->getHandle(), frameHandle);

        ComPtr<IOleInPlaceFrame> contextFrame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT position;
        RECT clip;
        RECT client;
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        ASSERT_EQ(S_OK, inPlaceSite(*window)->GetWindowContext(&contextFrame, &document, &position,
                                                               &clip, &info));
        GetClientRect(window->getHandle(), &client);
        EXPECT_TRUE(EqualRect(&client, &position));
        EXPECT_EQ(window->getHandle(), info.hwndFrame);
    }
    EXPECT_NE(first.getHandle(), second.getHandle());
}

TEST_F(HtmlWindowTest, ListenerReceivesBeforeNavigateUntilRemoved)
{
    test::TempDir folder;
    const std::wstring first = folder.file(L"first.html");
    const std::wstring second = folder.file(L"second.html");
    HtmlWindow window(L"", false);
    NavigationListener listener;
    ASSERT_EQ(S_OK, window.addListener(&listener));
    EXPECT_NE(0u, listener.getCookie());

    EXPECT_EQ(HtmlWindow::RESULT_OK, window.navigate(first));
    ASSERT_TRUE(waitForNavigations(listener, 1));
    EXPECT_EQ(first, listener.urls.at(0));

    ASSERT_EQ(S_OK, window.removeListener(&listener));
    EXPECT_EQ(HtmlWindow::RESULT_OK, window.navigate(second));
    test::pumpMessages(200);
    EXPECT_EQ(1u, listener.urls.size());
}

TEST_F(HtmlWindowTest, ConstructorNavigatesToAGivenUrl)
{
    test::TempDir folder;
    const std::wstring page = folder.file(L"page.html");
    HtmlWindow window(page, true);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(S_OK, window.getWebBrowser(*browser.GetAddressOf()));
    BSTR location = nullptr;
    ASSERT_EQ(S_OK, browser->get_LocationURL(&location));
    const std::wstring url = location ? location : L"";
    SysFreeString(location);
    EXPECT_NE(std::wstring::npos, url.find(page)) << url;
}

TEST_F(HtmlWindowTest, WritingHtmlGoesToBlankOnceAndFailsWithoutADocument)
{
    test::TempDir folder;
    HtmlWindow window(folder.file(L"page.html"), true);
    NavigationListener listener;
    ASSERT_EQ(S_OK, window.addListener(&listener));

    // No HTML engine here: the browser never has a document to write to.
    EXPECT_EQ(HtmlWindow::RESULT_NO_DOCUMENT, window.setHtml(L"<p>one</p>"));
    EXPECT_EQ(HtmlWindow::RESULT_NO_DOCUMENT, window.setHtml(L"<p>two</p>"));
    EXPECT_EQ(HtmlWindow::RESULT_NO_DOCUMENT, window.setHtml(L""));
    test::pumpMessages(200);
    EXPECT_EQ(std::vector<std::wstring>{L"about:blank"}, listener.urls);
    window.removeListener(&listener);
}

TEST_F(HtmlWindowTest, DocumentQueriesFailWithoutADocument)
{
    HtmlWindow window(L"<p id=\"x\">x</p>", false);
    SIZE size = {7, 9};
    EXPECT_TRUE(FAILED(window.getContentSize(size)));
    EXPECT_EQ(7, size.cx);
    EXPECT_EQ(9, size.cy);

    IHTMLElement* element = reinterpret_cast<IHTMLElement*>(&size);
    EXPECT_TRUE(FAILED(window.getElementById(L"x", element)));
    EXPECT_EQ(nullptr, element);
}

TEST_F(HtmlWindowTest, BrowserFollowsTheWindowsClientSize)
{
    HtmlWindow window(L"", false);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(S_OK, window.getWebBrowser(*browser.GetAddressOf()));
    RECT client;
    long width = 0;
    long height = 0;
    window.setBounds(0, 0, 320, 200);
    GetClientRect(window.getHandle(), &client);
    browser->get_Width(&width);
    browser->get_Height(&height);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);

    window.setBrowserSize(100, 50);
    browser->get_Width(&width);
    browser->get_Height(&height);
    EXPECT_EQ(100, width);
    EXPECT_EQ(50, height);
}

TEST_F(HtmlWindowTest, TabGoesToTheBrowserAlone)
{
    HtmlWindow window(L"", false);
    test::RecordingDispatcher recorder;
    window.addWindowEventDispatcher(&recorder, false);

    EXPECT_EQ(0, window.sendMessage(WM_KEYDOWN, VK_TAB, 0));
    EXPECT_FALSE(recorder.saw(WM_KEYDOWN));
    window.sendMessage(WM_KEYDOWN, 'A', 0);
    window.setBounds(0, 0, 120, 80);
    EXPECT_TRUE(recorder.saw(WM_KEYDOWN));
    EXPECT_TRUE(recorder.saw(WM_SIZE));
    window.removeWindowEventDispatcher(&recorder);
}

TEST_F(HtmlWindowTest, HostInfoHidesScrollbarsOnlyWhenTheyAreOff)
{
    HtmlWindow window(L"", false);
    ComPtr<IDocHostUIHandler> handler = uiHandler(window);
    ASSERT_TRUE(handler);
    const DWORD borders = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;

    DOCHOSTUIINFO info = {};
    info.dwDoubleClick = 5;
    ASSERT_EQ(S_OK, handler->GetHostInfo(&info));
    EXPECT_EQ(sizeof(DOCHOSTUIINFO), info.cbSize);
    EXPECT_EQ(borders, info.dwFlags);
    EXPECT_EQ(0u, info.dwDoubleClick);

    window.setScrollbars(false);
    ASSERT_EQ(S_OK, handler->GetHostInfo(&info));
    EXPECT_EQ(borders | DOCHOSTUIFLAG_SCROLL_NO, info.dwFlags);
}

TEST_F(HtmlWindowTest, DeletingTheWindowDetachesTheBrowserFromItsSites)
{
    auto window = std::make_unique<HtmlWindow>(L"", false);
    ComPtr<IWebBrowser2> browser;
    ASSERT_EQ(S_OK, window->getWebBrowser(*browser.GetAddressOf()));
    ComPtr<IOleObject> object;
    ASSERT_EQ(S_OK, browser.As(&object));

    window.reset();
    ComPtr<IOleClientSite> site;
    object->GetClientSite(&site);
    EXPECT_FALSE(site);
}

TEST_F(HtmlWindowTest, EventPartOfTheClientSiteKnowsNoProperty)
{
    HtmlWindow window(L"", false);
    ComPtr<IDispatch> events;
    ASSERT_EQ(S_OK, clientSite(window).As(&events));
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none = {};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, events->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0,
                                                    DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                                    nullptr));
    EXPECT_EQ(VT_EMPTY, V_VT(&result));

    ComPtr<IDispatch> again;
    EXPECT_EQ(S_OK, events.As(&again));
    EXPECT_EQ(events.Get(), again.Get());
}

TEST_F(HtmlWindowTest, ListenerAnswersTheEventInterfaceButNotTheUiHandler)
{
    NavigationListener listener;
    void* object = nullptr;
    EXPECT_EQ(S_OK, listener.QueryInterface(DIID_DWebBrowserEvents2, &object));
    EXPECT_EQ(static_cast<IDispatch*>(&listener), object);
    object = nullptr;
    EXPECT_EQ(E_NOINTERFACE, listener.QueryInterface(IID_IDocHostUIHandler, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(HtmlWindowTest, WindowWithoutBrowserDoesNothing)
{
    // A multi-threaded apartment refuses OLE: the window gets no browser.
    std::thread([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            test::MessageBoxCloser boxes;
            HtmlWindow window(L"<p>x</p>", false);
            IWebBrowser2* browser = nullptr;
            EXPECT_EQ(E_NOINTERFACE, window.getWebBrowser(browser));
            EXPECT_EQ(HtmlWindow::RESULT_NO_WEB_BROWSER, window.navigate(L"about:blank"));
            EXPECT_EQ(HtmlWindow::RESULT_NO_WEB_BROWSER, window.setHtml(L"<p>y</p>"));
            SIZE size;
            EXPECT_TRUE(FAILED(window.getContentSize(size)));
            NavigationListener listener;
            EXPECT_TRUE(FAILED(window.addListener(&listener)));
            window.setBrowserSize(10, 10);
            window.setBounds(0, 0, 50, 40);
            window.sendMessage(WM_KEYDOWN, VK_TAB, 0);
            EXPECT_TRUE(boxes.boxes().empty());
        }
        CoUninitialize();
    }).join();
}
