#include "PollUntil.h"
#include "SkyvaneRun.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <vector>

using test::SkyvaneRun;

// skyvane.exe's tray, seen through the prefix's shell and the stand-in's
// transcript of the movie calls.

namespace {

const char* const MAIN_WINDOW = "par.QuorMain";
const char* const APP_PIPE = "\\\\.\\pipe\\par\\quor\\app";
const unsigned START_MS = 20000;
const unsigned EXIT_MS = 15000;
const UINT ICON_ID = 134;

bool shellHasIcon(HWND window)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = ICON_ID;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

bool waitForVisibility(HWND window, bool visible)
{
    return test::pollUntil([&] { return (IsWindowVisible(window) != FALSE) == visible; }, 10000, 20);
}

void sendIconMouse(HWND window, UINT mouseMessage)
{
    // A version-4 callback: the mouse message in the low word, the icon id above.
    SendMessageA(window, 3152, 0, MAKELPARAM(mouseMessage, ICON_ID));
}

class TrayProgramTest : public ::testing::Test {
protected:
    void SetUp() override { test::removeProductKey(); }
    void TearDown() override { test::removeProductKey(); }

    HWND startInTray(SkyvaneRun& run)
    {
        EXPECT_TRUE(run.start(L"-mt"));
        EXPECT_TRUE(run.waitForLog("C++ startup END", START_MS)) << run.log();
        return run.findWindow(MAIN_WINDOW);
    }

    // Starts the program in the tray and expects what shows without a
    // temperature: the program icon, and a tip that asks for the location's
    // name instead; then closes it.
    void runShowingNoTemperature(SkyvaneRun& run)
    {
        HWND window = startInTray(run);
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(run.waitForTranscript(L"call", L"trayAdd", L"", START_MS));
        EXPECT_TRUE(run.waitForTranscript(L"call", L"trayGetLocationName", L"", START_MS));
        EXPECT_TRUE(shellHasIcon(window));
        EXPECT_FALSE(run.transcriptHas(L"call", L"convertCwfToUserValue"));
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, run.waitForExit(EXIT_MS)) << run.log();
    }
};

} // namespace

TEST_F(TrayProgramTest, TemperatureIconFollowsTheMoviesUpdateAndTheTrayIsAnnouncedAndRemoved)
{
    SkyvaneRun run;
    HWND window = startInTray(run);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(run.waitForTranscript(L"call", L"trayAdd", L"", START_MS));
    // The temperature picture is drawn in the user's unit: only its drawing converts.
    EXPECT_TRUE(run.waitForTranscript(L"call", L"convertCwfToUserValue", L"21.0000", START_MS));
    EXPECT_TRUE(shellHasIcon(window));
    // The weather changes after 4 s: the "tray" event redraws the picture.
    EXPECT_TRUE(run.waitForTranscript(L"call", L"convertCwfToUserValue", L"25.0000", START_MS));
    EXPECT_TRUE(run.transcriptHas(L"call", L"getOptionsValue", L"#FFFFFF"));
    EXPECT_FALSE(run.transcriptHas(L"no-subscriber", L"tray"));

    // Resting on the icon asks the movie for the tooltip; Wine's page has no
    // document to put it in.
    sendIconMouse(window, WM_MOUSEMOVE);
    EXPECT_TRUE(run.waitForTranscript(L"call", L"trayBuildTooltipHtml", L"", START_MS));
    EXPECT_TRUE(run.waitForLog("TrayTooltipPart.setContent(), plate not found", START_MS)) << run.log();
    EXPECT_TRUE(run.transcriptHas(L"call", L"handleTrayUserAction"));

    // A left click opens the window from the tray, the next one closes it again.
    ASSERT_FALSE(IsWindowVisible(window));
    sendIconMouse(window, WM_LBUTTONDOWN);
    EXPECT_TRUE(waitForVisibility(window, true));
    sendIconMouse(window, WM_LBUTTONDOWN);
    EXPECT_TRUE(waitForVisibility(window, false));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, run.waitForExit(EXIT_MS)) << run.log();
    EXPECT_TRUE(run.transcriptHas(L"call", L"trayRemove"));
    EXPECT_FALSE(shellHasIcon(window));
}

TEST_F(TrayProgramTest, MovieThatAnswersNothingLeavesTheProgramIconAndTheStatusTip)
{
    SkyvaneRun run({{"function trayGetTemperature <string>21</string>", "function trayGetTemperature <undefined/>"},
                    {"at 4000 function trayGetTemperature <string>25</string>", "at 4000 function trayGetTemperature <undefined/>"},
                    {"function trayGetLocationName <string>Stand-in City</string>", "function trayGetLocationName <undefined/>"}});
    runShowingNoTemperature(run);
}

TEST_F(TrayProgramTest, TemperatureFarOutOfRangeCountsAsNone)
{
    SkyvaneRun run(test::MovieReplacements{
        {"function trayGetTemperature <string>21</string>", "function trayGetTemperature <string>1e30</string>"}});
    runShowingNoTemperature(run);
}

// A real control may run the movie's first frame inside put_Movie, and the
// movie's answers inside a write.
class EagerControlTest : public TrayProgramTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(EagerControlTest, StartsWithTheTrayConnectedAnswersAndEndsOnRequest)
{
    // The movie confirms its shutdown inside the write too.
    SkyvaneRun run(test::MovieReplacements{{"on shutdown after 300 flashcall", "on shutdown flashcall"}});
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", GetParam());
    HWND window = startInTray(run);
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(run.waitForTranscript(L"call", L"trayAdd", L"", START_MS));
    EXPECT_TRUE(run.waitForTranscript(L"call", L"convertCwfToUserValue", L"21.0000", START_MS));
    EXPECT_EQ("ok", test::pipeRequest(APP_PIPE, "suspend", 5000));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, run.waitForExit(EXIT_MS)) << run.log();
    EXPECT_TRUE(run.transcriptHas(L"return", L"shutdownDone"));
    EXPECT_TRUE(run.transcriptHas(L"call", L"trayRemove"));
}

INSTANTIATE_TEST_SUITE_P(Eager, EagerControlTest, ::testing::Values(L"load", L"set"));
