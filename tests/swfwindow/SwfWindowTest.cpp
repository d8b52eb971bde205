#include "SwfWindowTestBase.h"

#include "LogCapture.h"
#include "MessagePump.h"
#include "StandInModule.h"

#include <servprov.h>

namespace {

using test::ComPtr;

// {6E8F4F1C-2B7A-4C11-9E55-0D3C1A7B9F21}: no interface anybody knows.
const IID IID_Unknown = {0x6E8F4F1C, 0x2B7A, 0x4C11, {0x9E, 0x55, 0x0D, 0x3C, 0x1A, 0x7B, 0x9F, 0x21}};

class SwfWindowTest : public test::SwfWindowTestBase {
protected:
    ComPtr<IOleClientSite> clientSite()
    {
        ComPtr<IOleObject> object;
        window->getFlash()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.GetAddressOf()));
        ComPtr<IOleClientSite> site;
        object->GetClientSite(site.GetAddressOf());
        return site;
    }

    template <class T>
    ComPtr<T> siteInterface(REFIID iid)
    {
        ComPtr<T> found;
        clientSite()->QueryInterface(iid, reinterpret_cast<void**>(found.GetAddressOf()));
        return found;
    }

    HWND controlWindow()
    {
        ComPtr<IOleInPlaceObject> inPlace;
        window->getFlash()->QueryInterface(IID_IOleInPlaceObject,
                                           reinterpret_cast<void**>(inPlace.GetAddressOf()));
        HWND control = nullptr;
        inPlace->GetWindow(&control);
        return control;
    }

    // Made before the fixture builds the window.
    test::LogCapture appLog{"app"};
    test::LogCapture queryLog{"swfWindow.queryInterface"};
};

class CountedListener : public SwfWindow::Listener {
public:
    explicit CountedListener(int& deleted) : myDeleted(deleted) {}
    ~CountedListener() override { ++myDeleted; }

private:
    int& myDeleted;
};

TEST_F(SwfWindowTest, EmbedsTheControlInPlaceWithoutAFailure)
{
    const HWND control = controlWindow();
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(window->getHandle(), GetParent(control));
    EXPECT_EQ("", appLog.text());
    EXPECT_NE(nullptr, window->getCommandEventManager());
    EXPECT_NE(nullptr, window->getInfiniteLoopMonitor());
}

TEST_F(SwfWindowTest, ResizingTheWindowResizesTheControl)
{
    MoveWindow(window->getHandle(), 10, 10, 300, 200, FALSE);
    RECT bounds;
    GetWindowRect(controlWindow(), &bounds);
    MapWindowPoints(nullptr, window->getHandle(), reinterpret_cast<POINT*>(&bounds), 2);
    EXPECT_EQ(0, bounds.left);
    EXPECT_EQ(0, bounds.top);
    EXPECT_EQ(300, bounds.right);
    EXPECT_EQ(200, bounds.bottom);
}

TEST_F(SwfWindowTest, FocusGoesToTheControlsWindow)
{
    ShowWindow(window->getHandle(), SW_SHOW);
    window->setFocus();
    EXPECT_EQ(controlWindow(), GetFocus());
}

TEST_F(SwfWindowTest, ClientSiteHandsOutTheSiteObjectsAndTheEventSink)
{
    EXPECT_NE(nullptr, siteInterface<IOleInPlaceSite>(IID_IOleInPlaceSite).Get());
    EXPECT_NE(nullptr, siteInterface<IOleControlSite>(IID_IOleControlSite).Get());
    const ComPtr<IDispatch> sink = siteInterface<IDispatch>(IID_IDispatch);
    ASSERT_NE(nullptr, sink.Get());
    ComPtr<IDispatch> events;
    EXPECT_EQ(S_OK, sink->QueryInterface(ShockwaveFlashObjects::DIID__IShockwaveFlashEvents,
                                         reinterpret_cast<void**>(events.GetAddressOf())));
    EXPECT_TRUE(queryLog.contains("OleClientSite::QueryInterface(IID_IOleInPlaceSite)\n"));
    EXPECT_TRUE(queryLog.contains("OleClientSite::QueryInterface(IID_IDispatch)\n"));
    EXPECT_TRUE(queryLog.contains(
        "SwfWindowListener::QueryInterface(IID_IUnknown | IID_IDispatch | ISwfWindowListener)\n"));
}

TEST_F(SwfWindowTest, ClientSiteRefusesOtherInterfacesAndLogsAllButTheServiceProvider)
{
    queryLog.clear();
    EXPECT_EQ(nullptr, siteInterface<IServiceProvider>(IID_IServiceProvider).Get());
    EXPECT_EQ("", queryLog.text());

    EXPECT_EQ(nullptr, siteInterface<IOleInPlaceSiteEx>(IID_IOleInPlaceSiteEx).Get());
    EXPECT_EQ(nullptr, siteInterface<IUnknown>(IID_Unknown).Get());
    EXPECT_EQ("OleClientSite::QueryInterface(IID_IOleInPlaceSiteEx) UNSUPPORTED\n"
              "OleClientSite::QueryInterface(no idea which interface was queried for)\n",
              queryLog.text());
}

TEST_F(SwfWindowTest, InPlaceSiteGivesTheWindowAsFrameAndItsSizeAsPositionAndClip)
{
    MoveWindow(window->getHandle(), 0, 0, 320, 240, FALSE);
    const ComPtr<IOleInPlaceSite> site = siteInterface<IOleInPlaceSite>(IID_IOleInPlaceSite);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position = {-1, -1, -1, -1};
    RECT clip = {-1, -1, -1, -1};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    ASSERT_EQ(S_OK, site->GetWindowContext(&frame, &document, &position, &clip, &info));

    ASSERT_NE(nullptr, frame);
    HWND frameWindow = nullptr;
    frame->GetWindow(&frameWindow);
    EXPECT_EQ(window->getHandle(), frameWindow);
    EXPECT_EQ(nullptr, document);
    EXPECT_EQ(window->getHandle(), info.hwndFrame);
    EXPECT_FALSE(info.fMDIApp);
    const RECT expected = {0, 0, 320, 240};
    EXPECT_TRUE(EqualRect(&expected, &position));
    EXPECT_TRUE(EqualRect(&expected, &clip));
}

TEST_F(SwfWindowTest, UnsupportedSiteMethodsAreLoggedAndRefused)
{
    const ComPtr<IOleInPlaceSite> site = siteInterface<IOleInPlaceSite>(IID_IOleInPlaceSite);
    EXPECT_EQ(E_NOTIMPL, site->Scroll(SIZE{1, 1}));
    EXPECT_EQ(E_NOTIMPL, clientSite()->SaveObject());
    EXPECT_EQ(E_NOTIMPL, clientSite()->GetMoniker(0, 0, nullptr));
    EXPECT_EQ("Scroll not implemented\nSaveObject not implemented\n", appLog.text());
}

TEST_F(SwfWindowTest, DestructionReleasesTheControl)
{
    destroyWindow();
    revokeStandIn();
    EXPECT_FALSE(standin::isModuleInUse());
}

TEST_F(SwfWindowTest, DestructionDropsPendingRequestsAndDeletesOwnedListenersOnly)
{
    test::RequestFate fate;
    standIn->SetRequestIgnored(_bstr_t(L"pending"), VARIANT_TRUE);
    window->sendXmlRequest(new test::TrackedRequest("pending", fate));
    int ownedDeleted = 0;
    int keptDeleted = 0;
    CountedListener kept(keptDeleted);
    window->addListener(new CountedListener(ownedDeleted), true);
    window->addListener(&kept, false);
    test::pumpMessages(100);

    destroyWindow();
    EXPECT_EQ(0, fate.completed);
    EXPECT_EQ(1, fate.deleted);
    EXPECT_EQ(1, ownedDeleted);
    EXPECT_EQ(0, keptDeleted);
}

TEST_F(SwfWindowTest, ControlOutlivingTheWindowIsCutOffFromItsSitesAndEvents)
{
    ComPtr<IOleObject> control;
    window->getFlash()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(control.GetAddressOf()));
    const ComPtr<IFlashStandIn> remote = standIn;
    test::RecordingListener listener;
    window->addListener(&listener, false);

    destroyWindow();
    ComPtr<IOleClientSite> site;
    EXPECT_EQ(S_OK, control->GetClientSite(site.GetAddressOf()));
    EXPECT_EQ(nullptr, site.Get());
    remote->FireFSCommand(_bstr_t(L"late"), _bstr_t(L""));
    EXPECT_TRUE(listener.calls.empty());
}

// Deletes the window when the movie calls; owned by that window.
class DeletingListener : public SwfWindow::Listener {
public:
    explicit DeletingListener(std::unique_ptr<SwfWindow>& window) : myWindow(window) {}
    std::wstring onExternalCall(SwfWindow*, const std::wstring&, const std::vector<std::wstring>&) override
    {
        myWindow.reset();
        return L"<string>gone</string>";
    }

private:
    std::unique_ptr<SwfWindow>& myWindow;
};

TEST_F(SwfWindowTest, WindowDeletedByAListenerDuringAnEventReachesNothingAfterwards)
{
    test::RecordingListener later;
    int ownedDeleted = 0;
    window->addListener(new CountedListener(ownedDeleted), true);
    window->addListener(new DeletingListener(window), true);
    window->addListener(&later, false);

    EXPECT_EQ(std::nullopt, fireCall(L"close"));
    EXPECT_EQ(nullptr, window);
    EXPECT_EQ(1, ownedDeleted);
    EXPECT_TRUE(later.calls.empty());
    fireFsCommand(L"late", L"");
    EXPECT_TRUE(later.calls.empty());
}

} // namespace
