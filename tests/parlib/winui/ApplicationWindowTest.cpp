#include "util/RegistryUtil.h"
#include "winui/ApplicationWindow.h"
#include "winui/Container.h"
#include "winui/FullscreenWindow.h"

#include "MessagePump.h"
#include "TempRegistryKey.h"
#include "TestApplication.h"
#include "WindowListeners.h"

#include <gtest/gtest.h>

#include <memory>

using par::ApplicationWindow;
using par::FullscreenWindow;
using par::Window;

namespace {

const RECT SAVED = {100, 120, 400, 320};

ApplicationWindow* newApplicationWindow()
{
    return new ApplicationWindow(WS_OVERLAPPEDWINDOW, 0, "ParDefaultWindowClass");
}

WINDOWPLACEMENT placementOf(Window& window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window.getHandle(), &placement);
    return placement;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void dropQuitMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// An application whose placement key is a fresh test key.
class ApplicationWindowTest : public ::testing::Test {
protected:
    explicit ApplicationWindowTest(int showCommand = SW_SHOWNORMAL) : myApplication(showCommand)
    {
        myApplication.setRegistryKeyPath(myKey.path());
    }
    ~ApplicationWindowTest() override { dropQuitMessages(); }

    void savePlacement(const RECT& rect, DWORD showCommand)
    {
        par::writeRegRect(myKey.key(), L"windowRect", &rect);
        par::writeRegDword(myKey.key(), L"showCmd", showCommand);
    }

    bool savedPlacement(RECT& rect, DWORD& showCommand)
    {
        return par::readRegRect(myKey.root(), myKey.path() + L"\\windowRect", &rect) == ERROR_SUCCESS
            && par::readRegDword(myKey.key(), L"showCmd", &showCommand) == ERROR_SUCCESS;
    }

    test::TempRegistryKey myKey;
    test::TestApplication myApplication;
};

class MinimizedStartTest : public ApplicationWindowTest {
protected:
    MinimizedStartTest() : ApplicationWindowTest(SW_SHOWMINNOACTIVE) {}
};

} // namespace

TEST_F(MinimizedStartTest, FirstRunShowsTheCreationRectangleWithTheStartupShowCommand)
{
    myApplication.mainWindowFactory = [] {
        ApplicationWindow* window = newApplicationWindow();
        window->setBounds(30, 40, 200, 100);
        return window;
    };
    ASSERT_TRUE(myApplication.init());
    Window& window = *myApplication.getMainWindow();
    EXPECT_TRUE(IsIconic(window.getHandle()));
    EXPECT_TRUE(sameRect(RECT{30, 40, 230, 140}, placementOf(window).rcNormalPosition));
}

TEST_F(ApplicationWindowTest, SavedMinimizedStateComesBackShown)
{
    savePlacement(SAVED, SW_SHOWMINIMIZED);
    std::unique_ptr<ApplicationWindow> window(newApplicationWindow());
    window->setVisible(true, true);
    EXPECT_TRUE(window->isPlacementRestored());
    EXPECT_TRUE(IsWindowVisible(window->getHandle()));
    EXPECT_FALSE(IsIconic(window->getHandle()));
    EXPECT_TRUE(sameRect(SAVED, placementOf(*window).rcNormalPosition));
}

TEST_F(ApplicationWindowTest, ShowingWithoutActivationIgnoresTheSavedState)
{
    savePlacement(SAVED, SW_SHOWMAXIMIZED);
    std::unique_ptr<ApplicationWindow> window(newApplicationWindow());
    window->setVisible(true, false);
    EXPECT_TRUE(IsWindowVisible(window->getHandle()));
    EXPECT_FALSE(IsZoomed(window->getHandle()));
    EXPECT_NE(window->getHandle(), GetActiveWindow());
    EXPECT_TRUE(sameRect(SAVED, placementOf(*window).rcNormalPosition));
}

TEST_F(ApplicationWindowTest, PlacementIsRestoredOnlyOnTheFirstShow)
{
    std::unique_ptr<ApplicationWindow> window(newApplicationWindow());
    window->setVisible(true, true);
    window->setBounds(10, 20, 150, 90);
    window->setVisible(false, false);
    savePlacement(SAVED, SW_SHOWNORMAL);
    window->setVisible(true, true);
    EXPECT_TRUE(sameRect(RECT{10, 20, 160, 110}, placementOf(*window).rcNormalPosition));
}

TEST_F(ApplicationWindowTest, QuitSavesThePlacementOfARestoredMainWindow)
{
    myApplication.mainWindowFactory = newApplicationWindow;
    ASSERT_TRUE(myApplication.init());
    myApplication.getMainWindow()->setBounds(50, 60, 300, 200);
    myApplication.quit();

    RECT rect = {};
    DWORD showCommand = 0;
    ASSERT_TRUE(savedPlacement(rect, showCommand));
    EXPECT_TRUE(sameRect(RECT{50, 60, 350, 260}, rect));
    EXPECT_EQ(static_cast<DWORD>(SW_SHOWNORMAL), showCommand);
}

TEST_F(ApplicationWindowTest, QuitSavesNothingWhenPlacementIsNotPersisted)
{
    myApplication.myPersistPlacement = false;
    myApplication.mainWindowFactory = newApplicationWindow;
    ASSERT_TRUE(myApplication.init());
    myApplication.quit();
    RECT rect = {};
    DWORD showCommand = 0;
    EXPECT_FALSE(savedPlacement(rect, showCommand));
}

TEST_F(ApplicationWindowTest, FullscreenWindowStartsHiddenWithContentFillingIt)
{
    FullscreenWindow fullscreen(nullptr);
    EXPECT_FALSE(fullscreen.isVisible());
    EXPECT_FALSE(IsWindowVisible(fullscreen.getHandle()));
    char title[32] = "";
    GetWindowTextA(fullscreen.getHandle(), title, sizeof title);
    EXPECT_STREQ("FullscreenWindow", title);

    par::Container* content = fullscreen.getContent();
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(content, fullscreen.getFirstChild());
    EXPECT_TRUE(content->getStyle() & WS_CHILD);
    fullscreen.setBounds(0, 0, 320, 240);
    RECT client;
    GetClientRect(content->getHandle(), &client);
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(240, client.bottom);
}

TEST_F(ApplicationWindowTest, FullscreenFocusGoesToTheFirstWindowOfItsContent)
{
    FullscreenWindow fullscreen(nullptr);
    fullscreen.setBounds(0, 0, 320, 240);
    auto* edit = new Window(WS_POPUP, "EDIT", 0);
    fullscreen.getContent()->addChild(edit);
    fullscreen.setVisible(true, true);
    SetFocus(nullptr);
    EXPECT_EQ(1, fullscreen.sendMessage(WM_SETFOCUS, 0, 0));
    EXPECT_EQ(edit->getHandle(), GetFocus());
}

TEST_F(ApplicationWindowTest, ClosingTheFullscreenWindowAsksTheMainWindowToClose)
{
    // Keeps the main window from closing.
    test::RecordingDispatcher spy([](UINT message) { return message == WM_CLOSE ? 1 : 0; });
    myApplication.mainWindowFactory = [&] {
        ApplicationWindow* window = newApplicationWindow();
        window->addWindowEventDispatcher(&spy, false);
        return window;
    };
    ASSERT_TRUE(myApplication.init());
    FullscreenWindow* fullscreen = new FullscreenWindow(myApplication.getMainWindow());
    fullscreen->sendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::pumpUntil([&] { return spy.saw(WM_CLOSE); }, 2000));
    EXPECT_EQ(1, spy.count(WM_CLOSE));
    // The spy goes before the application would delete the window.
    myApplication.exit();
}
