#include "htmlwindow/EventReceiver.h"

#include "HtmlWindowFixture.h"
#include "LogCapture.h"
#include "MessagePump.h"
#include "TempDir.h"

#include <stdexcept>

using htmlWindow::RequestParameters;
using test::ComPtr;
using test::NavigationListener;

namespace {

class RecordingReceiver : public EventReceiver {
public:
    struct Call {
        std::wstring name;
        RequestParameters parameters;
    };

    std::vector<Call> calls;
    std::wstring response;

    void onEvent(const std::wstring& name, std::wstring& responseOut,
                 const RequestParameters& parameters) override
    {
        calls.push_back({name, parameters});
        responseOut = response;
    }
};

class PageRequestTest : public test::HtmlWindowFixture {
protected:
    // What the browser does for a link: translate it first.
    HRESULT translate(HtmlWindow& window, const wchar_t* url, OLECHAR*& translated)
    {
        ComPtr<IDocHostUIHandler> handler = uiHandler(window);
        EXPECT_TRUE(handler);
        std::wstring copy(url);
        return handler ? handler->TranslateUrl(0, &copy[0], &translated) : E_FAIL;
    }

    static bool isTaskMemory(void* memory)
    {
        ComPtr<IMalloc> allocator;
        return SUCCEEDED(CoGetMalloc(1, &allocator)) && allocator->DidAlloc(memory) == 1;
    }

    // The request text of the page request waiting in the queue, if any.
    static bool queuedRequest(HtmlWindow& window, std::string& text)
    {
        MSG msg;
        if (!PeekMessageA(&msg, window.getHandle(), HtmlWindow::WM_PAGE_REQUEST,
                          HtmlWindow::WM_PAGE_REQUEST, PM_NOREMOVE))
            return false;
        text = *reinterpret_cast<const std::string*>(msg.wParam);
        return true;
    }

    static bool waitForCalls(const RecordingReceiver& receiver, std::size_t count)
    {
        return test::pumpUntil([&] { return receiver.calls.size() >= count; }, 2000);
    }
};

} // namespace

TEST_F(PageRequestTest, AppLinkBecomesARequestAndStaysOnThePage)
{
    HtmlWindow window(L"", false);
    RecordingReceiver receiver;
    window.setEventReceiver(&receiver);

    OLECHAR* translated = nullptr;
    EXPECT_EQ(S_OK, translate(window, L"app://say?text=a+b%21&a=1&a=2", translated));
    ASSERT_NE(nullptr, translated);
    EXPECT_STREQ(L"javascript:void(0)", translated);
    EXPECT_TRUE(isTaskMemory(translated));
    CoTaskMemFree(translated);

    std::string queued;
    ASSERT_TRUE(queuedRequest(window, queued));
    EXPECT_EQ("say?text=a+b%21&a=1&a=2", queued);
    EXPECT_TRUE(receiver.calls.empty());

    ASSERT_TRUE(waitForCalls(receiver, 1));
    EXPECT_EQ(L"say", receiver.calls[0].name);
    const RequestParameters expected = {{"a", "1"}, {"text", "a b!"}};
    EXPECT_EQ(expected, receiver.calls[0].parameters);
}

TEST_F(PageRequestTest, LinksOfThePageReachTheReceiverByName)
{
    HtmlWindow window(L"", false);
    RecordingReceiver receiver;
    window.setEventReceiver(&receiver);

    for (const wchar_t* link : {L"app://exit", L"app://getFlash/"}) {
        OLECHAR* translated = nullptr;
        translate(window, link, translated);
        CoTaskMemFree(translated);
    }
    ASSERT_TRUE(waitForCalls(receiver, 2));
    EXPECT_EQ(L"exit", receiver.calls[0].name);
    EXPECT_TRUE(receiver.calls[0].parameters.empty());
    EXPECT_EQ(L"getFlash", receiver.calls[1].name);
}

TEST_F(PageRequestTest, OtherUrlsAreNotTranslated)
{
    HtmlWindow window(L"", false);
    RecordingReceiver receiver;
    window.setEventReceiver(&receiver);

    for (const wchar_t* url : {L"APP://exit", L"App://exit", L"http://example.com/app://x",
                               L"about:blank", L"app:exit"}) {
        OLECHAR* translated = nullptr;
        EXPECT_EQ(S_OK, translate(window, url, translated)) << url;
        EXPECT_EQ(nullptr, translated) << url;
    }
    std::string queued;
    EXPECT_FALSE(queuedRequest(window, queued));
    test::pumpMessages(100);
    EXPECT_TRUE(receiver.calls.empty());
}

TEST_F(PageRequestTest, ResponseIsWrittenAsTheNewPage)
{
    test::TempDir folder;
    HtmlWindow window(folder.file(L"page.html"), true);
    NavigationListener listener;
    ASSERT_EQ(S_OK, window.addListener(&listener));
    RecordingReceiver receiver;
    window.setEventReceiver(&receiver);

    // An empty response leaves the page alone.
    OLECHAR* translated = nullptr;
    translate(window, L"app://quiet", translated);
    CoTaskMemFree(translated);
    ASSERT_TRUE(waitForCalls(receiver, 1));
    test::pumpMessages(200);
    EXPECT_TRUE(listener.urls.empty());

    // A page is written into a blank document first.
    receiver.response = L"<p>thanks</p>";
    translate(window, L"app://answer", translated);
    CoTaskMemFree(translated);
    ASSERT_TRUE(waitForCalls(receiver, 2));
    ASSERT_TRUE(waitForNavigations(listener, 1));
    EXPECT_EQ(L"about:blank", listener.urls[0]);
    window.removeListener(&listener);
}

// Throws what it is told to, as a plain text or as a library exception.
class ThrowingReceiver : public EventReceiver {
public:
    int calls = 0;

    void onEvent(const std::wstring& name, std::wstring&, const RequestParameters&) override
    {
        ++calls;
        if (name == L"text")
            throw "plain text thrown";
        throw std::runtime_error("runtime error thrown");
    }
};

TEST_F(PageRequestTest, ReceiverFailuresAreLoggedAtTheWindowsEdge)
{
    test::LogCapture appLog{"app", par::Log::LEVEL_SEVERE};
    HtmlWindow window(L"", false);
    ThrowingReceiver receiver;
    window.setEventReceiver(&receiver);

    for (const wchar_t* link : {L"app://text", L"app://error"}) {
        OLECHAR* translated = nullptr;
        translate(window, link, translated);
        CoTaskMemFree(translated);
    }
    ASSERT_TRUE(test::pumpUntil([&] { return receiver.calls == 2; }, 2000));
    EXPECT_EQ("HtmlWindow::handleMessage(), message 32768 interrupted with exception: plain text thrown\n"
              "HtmlWindow::handleMessage(), message 32768 interrupted with exception: runtime error thrown\n",
              appLog.text());
}
