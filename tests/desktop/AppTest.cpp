#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppPipeServerHandler.h"
#include "desktop/AppWindow.h"

#include "LogCapture.h"

#include "winui/FullscreenWindow.h"

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

} // namespace
