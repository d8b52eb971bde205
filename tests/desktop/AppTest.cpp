#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppPipeServerHandler.h"
#include "desktop/AppSkyvane.h"
#include "desktop/AppWindow.h"

#include "product/FlashHost.h"
#include "swfwindow/SwfWindow.h"

#include "LogCapture.h"
#include "StandInVariables.h"
#include "TempDir.h"

#include "winui/Container.h"
#include "winui/FullscreenWindow.h"

#include <wininet.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The desktop program's application object in the test's own process, for
// the roads a whole program cannot be steered onto.

namespace {

class RecordedRequest : public par::PipeServer::AsyncRequest {
public:
    explicit RecordedRequest(const std::string& text) : myText(text) {}
    void complete(const std::string& response) override { responses.push_back(response); }
    std::string getRequest() override { return myText; }

    std::vector<std::string> responses;

private:
    std::string myText;
};

bool theMonitorIsPrimary = true;

BOOL WINAPI monitorInfo(HMONITOR, LPMONITORINFO info)
{
    SetRectEmpty(&info->rcMonitor);
    info->rcMonitor.right = GetSystemMetrics(SM_CXSCREEN);
    info->rcMonitor.bottom = GetSystemMetrics(SM_CYSCREEN);
    info->rcWork = info->rcMonitor;
    info->dwFlags = theMonitorIsPrimary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

// Where the program finds its movie.
struct ApplicationFolder : par::Application {
    using par::Application::setApplicationDirPath;
};

// WinInet reported offline; remembers whether the movie's host existed then.
int theConnectedStateQueries = 0;
bool theFlashHostExistedAtQuery = false;

BOOL WINAPI offlineState(LPDWORD flags, LPSTR, DWORD, DWORD)
{
    ++theConnectedStateQueries;
    theFlashHostExistedAtQuery = App::getInstance() && App::getInstance()->getFlashHost();
    *flags = INTERNET_CONNECTION_OFFLINE;
    return FALSE;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ondrel\\skyvane");
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override
    {
        AppController::setMonitorInfoQuery(GetMonitorInfoA);
        App::setConnectedStateQuery(InternetGetConnectedStateExA);
        SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", nullptr);
        ApplicationFolder::setApplicationDirPath(L"");
        CoUninitialize();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ondrel\\skyvane");
    }
};

TEST_F(AppTest, RequestWithoutAMovieWindowIsAnsweredAtOnce)
{
    App app(GetModuleHandleA(nullptr), nullptr, L"-newInstance", SW_HIDE);
    ASSERT_TRUE(app.isPrimary());
    test::LogCapture log;
    AppPipeServerHandler handler;
    RecordedRequest request("suspend");
    // Before the start-up made the flash host: no movie window.
    handler.handleRequest(&request);
    EXPECT_EQ(std::vector<std::string>{"ok"}, request.responses);
    EXPECT_TRUE(log.contains("request=suspend")) << log.text();
}

TEST_F(AppTest, FullscreenOnASecondaryMonitorStaysWhenAnotherProgramIsActivated)
{
    AppController::setMonitorInfoQuery(monitorInfo);
    App app(GetModuleHandleA(nullptr), nullptr, L"-newInstance", SW_HIDE);
    ASSERT_TRUE(app.init());
    AppWindow* window = app.getMainWindow();
    HWND fullscreen = window->getFullscreenWindow()->getHandle();
    app.getAppController()->setFullscreen(true, true);
    ASSERT_TRUE(IsWindowVisible(fullscreen));

    theMonitorIsPrimary = false;
    SendMessageA(window->getHandle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(app.isFullscreen());
    EXPECT_TRUE(IsWindowVisible(fullscreen));

    theMonitorIsPrimary = true;
    SendMessageA(window->getHandle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(app.isFullscreen());
    EXPECT_FALSE(IsWindowVisible(fullscreen));
    EXPECT_TRUE(IsWindowVisible(window->getHandle()));
    app.exit();
}

TEST_F(AppTest, OfflineWinInetIsPutOnlineBeforeTheMovieIsMade)
{
    App::setConnectedStateQuery(offlineState);
    App app(GetModuleHandleA(nullptr), nullptr, L"-newInstance", SW_HIDE);
    ASSERT_TRUE(app.init());
    EXPECT_EQ(1, theConnectedStateQueries);
    EXPECT_FALSE(theFlashHostExistedAtQuery);
    app.exit();
}

TEST_F(AppTest, FullscreenSwitchAskedForInsideTheMoviesWriteFollowsIt)
{
    // The movie answers inside the write: back out of fullscreen, and once
    // more for the state already on its way.
    test::TempDir folder;
    ASSERT_TRUE(test::writeFile(folder.file(FlashHost::MOVIE_FILE_NAME),
                                "flash-standin-movie 1\n"
                                "on fullscreen is true flashcall <invoke name=\"setFullscreenMode\" "
                                "returntype=\"xml\"><arguments><false/></arguments></invoke>\n"
                                "on fullscreen is false flashcall <invoke name=\"setFullscreenMode\" "
                                "returntype=\"xml\"><arguments><false/></arguments></invoke>\n"));
    ApplicationFolder::setApplicationDirPath(folder.path());
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", L"load,set");
    App app(GetModuleHandleA(nullptr), nullptr, L"-newInstance", SW_HIDE);
    ASSERT_TRUE(app.init());
    SwfWindow* swf = app.getSkyvane()->getSwfWindow();
    ASSERT_NE(nullptr, swf);
    Microsoft::WRL::ComPtr<IFlashStandIn> standIn = test::standInOf(swf->getFlash());
    ASSERT_TRUE(standIn);

    AppWindow* window = app.getMainWindow();
    app.getAppController()->setFullscreen(true, true);
    EXPECT_EQ((std::vector<std::wstring>{L"true", L"false"}), test::variableValues(standIn.Get(), L"fullscreen"));
    EXPECT_FALSE(app.isFullscreen());
    EXPECT_FALSE(IsWindowVisible(window->getFullscreenWindow()->getHandle()));
    EXPECT_TRUE(IsWindowVisible(window->getHandle()));
    EXPECT_EQ(window->getContentHost(), app.getFlashHost()->getParent());
    EXPECT_TRUE(window->getFullscreenWindow()->getContent()->getChildren().empty());
    app.exit();
}

} // namespace
