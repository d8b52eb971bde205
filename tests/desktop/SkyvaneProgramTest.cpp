#include "PollUntil.h"
#include "SkyvaneRun.h"

#include "PollUntil.h"

#include "ipc/PipeClient.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"

#include <gtest/gtest.h>

#include <psapi.h>

using test::SkyvaneRun;

namespace {

const char* const MAIN_WINDOW = "par.QuorMain";
const char* const APP_PIPE = "\\\\.\\pipe\\par\\quor\\app";
const char* const PRODUCT_KEY = "Software\\Ondrel\\skyvane";
const unsigned START_MS = 20000;
const unsigned EXIT_MS = 15000;

const char* const HELP_TEXT =
    "Command-line options:\r\n"
    "/debug - start application in debug mode;\r\n"
    "/screenSaver - start application with \"screenSaver\" role;\r\n"
    "/mt - start minimized to tray";

bool readProductDword(const std::wstring& subkey, const wchar_t* name, DWORD& value)
{
    HKEY key = nullptr;
    const std::wstring path = L"Software\\Ondrel\\skyvane" + subkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool read = par::readRegDword(key, name, &value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read;
}

bool mutexExists(const char* name)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

// The text of the dialog's text area.
std::string noteText(HWND dialog)
{
    HWND textArea = FindWindowExA(dialog, nullptr, "RichEdit", nullptr);
    if (!textArea)
        return std::string();
    char text[2048] = "";
    SendMessageA(textArea, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Writes each text with its zero byte on one connection, reads nothing and
// closes it, as a broken client would.
bool sendUnreadAndClose(const std::vector<std::string>& texts)
{
    // The server takes a moment to listen again after the client before.
    WaitNamedPipeA(APP_PIPE, 5000);
    const par::ScopedHandle pipe(
        CreateFileA(APP_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    bool written = static_cast<bool>(pipe);
    for (const std::string& text : texts) {
        DWORD count = 0;
        written = written && WriteFile(pipe.get(), text.c_str(), static_cast<DWORD>(text.size()) + 1, &count, nullptr);
    }
    return written;
}

// True once a client is served "activate" again, well within the server's
// limit for one request.
bool activateIsServed()
{
    return test::pollUntil([] { return test::pipeRequest(APP_PIPE, "activate", 2000) == "true"; }, 8000, 100);
}

class SkyvaneProgramTest : public ::testing::Test {
protected:
    void SetUp() override { test::removeProductKey(); }
    void TearDown() override { test::removeProductKey(); }

    // Started and through its start-up; the main window found.
    HWND startUp(SkyvaneRun& run, const std::wstring& arguments, HANDLE output = nullptr)
    {
        EXPECT_TRUE(run.start(arguments, output));
        EXPECT_TRUE(run.waitForLog("C++ startup END", START_MS)) << run.log();
        return run.findWindow(MAIN_WINDOW);
    }

    // Asks the program to exit as a user would, through the window.
    long closeAndWait(SkyvaneRun& run)
    {
        PostMessageA(run.findWindow(MAIN_WINDOW), WM_CLOSE, 0, 0);
        return run.waitForExit(EXIT_MS);
    }
};

TEST_F(SkyvaneProgramTest, StartsShowsTheMovieAndExitsThroughTheMoviesShutdown)
{
    SkyvaneRun run;
    HWND window = startUp(run, L"");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindowVisible(window));
    // The first run on the 1024 x 768 screen: 1000 x 700 centred in 1024 x 718.
    RECT bounds = {};
    GetWindowRect(window, &bounds);
    EXPECT_EQ(12, bounds.left);
    EXPECT_EQ(9, bounds.top);
    EXPECT_EQ(1000, bounds.right - bounds.left);
    EXPECT_EQ(700, bounds.bottom - bounds.top);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Skyvane 2.0", title);
    EXPECT_TRUE(run.transcriptHas(L"load", run.folder() + L"\\skyvanedesktop.swf"));
    EXPECT_TRUE(run.transcriptHas(L"set", L"active", L"false"));
    EXPECT_TRUE(mutexExists("par.window.app"));

    // Logoff: the movie's options are saved where it says, indented.
    EXPECT_EQ(1, SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    const std::string options = test::readFile(run.folder() + L"\\options.xml");
    EXPECT_NE(std::string::npos, options.find("<options path=")) << options;

    EXPECT_EQ(0, closeAndWait(run)) << run.log();
    EXPECT_TRUE(run.transcriptHas(L"set", L"shutdown"));
    EXPECT_TRUE(run.transcriptHas(L"return", L"shutdownDone"));

    const std::string log = run.log();
    const std::size_t constructed = log.find("App.constructor() END: ");
    const std::size_t started = log.find("C++ startup END: ");
    const std::size_t ended = log.find("Shutdown END: ");
    ASSERT_NE(std::string::npos, constructed) << log;
    ASSERT_NE(std::string::npos, started) << log;
    ASSERT_NE(std::string::npos, ended) << log;
    EXPECT_LT(constructed, started);
    EXPECT_LT(started, ended);
    // Seconds with four decimals.
    const std::size_t seconds = log.find(": ", started) + 2;
    EXPECT_EQ('.', log[log.find_first_not_of("0123456789", seconds)]);
    EXPECT_EQ(4u, log.find_first_not_of("0123456789", log.find('.', seconds) + 1) - log.find('.', seconds) - 1);

    DWORD value = 99;
    EXPECT_TRUE(readProductDword(L"", L"isFullscreenMode", value));
    EXPECT_EQ(0u, value);
    EXPECT_TRUE(readProductDword(L"\\fullscreenDisplayMode", L"id", value));
    EXPECT_EQ(0u, value);
    EXPECT_TRUE(readProductDword(L"", L"showCmd", value));
    EXPECT_FALSE(mutexExists("par.window.app"));
}

TEST_F(SkyvaneProgramTest, LogFileKeepsEveryLineWhenTheStandardOutputCannotBeWritten)
{
    SkyvaneRun run;
    // Opened for reading only, every write to it fails, as writes to a GUI
    // program's standard output may.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    par::ScopedHandle output(CreateFileW((run.folder() + L"\\output.txt").c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, output.get());
    ASSERT_NE(nullptr, startUp(run, L"", output.get()));
    EXPECT_EQ(0, closeAndWait(run)) << run.log();
    const std::string log = run.log();
    for (const char* line : {"App.constructor() END: ", "C++ startup END: ", "Shutdown END: "})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;
}

TEST_F(SkyvaneProgramTest, SplashAddressWithMarkupComesBackToTheMovieAsItWasSaved)
{
    // As the movie sends the address, and as it must get it back.
    const std::string address = "<string>http://example.com/?a=1&amp;b=&lt;i&gt;</string>";
    SkyvaneRun run(test::MovieReplacements{{"fscommand quorReady\n",
                     "fscommand quorReady\n"
                     "flashcall <invoke name=\"saveSplashUrl\" returntype=\"xml\"><arguments>" + address
                         + "</arguments></invoke>\n"
                           "flashcall <invoke name=\"loadSplashUrl\" returntype=\"xml\"></invoke>\n"}});
    ASSERT_NE(nullptr, startUp(run, L""));
    ASSERT_TRUE(run.waitForTranscript(L"return", L"loadSplashUrl", L"", START_MS));
    EXPECT_TRUE(run.transcriptHas(L"return", L"loadSplashUrl", std::wstring(address.begin(), address.end())));
    EXPECT_EQ(0, closeAndWait(run)) << run.log();
}

TEST_F(SkyvaneProgramTest, HelpAndInvalidOptionsShowOnlyTheCommandLineDialog)
{
    const std::pair<const wchar_t*, std::string> cases[] = {
        {L"-?", HELP_TEXT},
        {L"-h -debug", HELP_TEXT},
        {L"-x", std::string("Invalid argument: -x\r\n") + HELP_TEXT},
        {L"-mt=1", std::string("Invalid argument: -mt\r\n") + HELP_TEXT},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(std::string(entry.first, entry.first + wcslen(entry.first)));
        SkyvaneRun run;
        ASSERT_TRUE(run.start(entry.first));
        HWND dialog = run.waitForWindow("#32770", START_MS);
        ASSERT_NE(nullptr, dialog);
        // Shown once it is complete.
        EXPECT_TRUE(test::pollUntil([&] { return IsWindowVisible(dialog) != FALSE; }, START_MS, 20));
        char title[128] = "";
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ("Skyvane 2.0 - command-line info", title);
        EXPECT_EQ(entry.second, noteText(dialog));
        EXPECT_FALSE(mutexExists("par.window.app"));
        EXPECT_FALSE(test::pipeExists(APP_PIPE));
        EXPECT_EQ(nullptr, run.findWindow(MAIN_WINDOW));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, run.waitForExit(EXIT_MS));
    }
}

TEST_F(SkyvaneProgramTest, SecondStartBringsTheRunningOneOutOfTheTray)
{
    SkyvaneRun first;
    HWND window = startUp(first, L"");
    ASSERT_NE(nullptr, window);
    // The close box sends the program to the tray.
    EXPECT_EQ(1, SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(first.transcriptHas(L"set", L"trayState", L"close"));

    SkyvaneRun second;
    ASSERT_TRUE(second.start(L""));
    EXPECT_EQ(0, second.waitForExit(EXIT_MS));
    EXPECT_TRUE(first.waitForTranscript(L"set", L"trayState", L"open", 5000));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(first.isRunning());
    // What the second start was answered.
    EXPECT_EQ("true", test::pipeRequest(APP_PIPE, "activate", 5000));

    // With -newInstance both run; the second cannot serve the taken pipe name.
    SkyvaneRun another;
    startUp(another, L"-newInstance");
    EXPECT_TRUE(first.isRunning());
    EXPECT_TRUE(another.isRunning());

    EXPECT_EQ(0, closeAndWait(another));
    EXPECT_EQ(0, closeAndWait(first));
}

TEST_F(SkyvaneProgramTest, StartAfterACrashedInstanceRuns)
{
    SkyvaneRun crashed;
    ASSERT_NE(nullptr, startUp(crashed, L""));
    // Held here, the mutex outlives its owner and is left abandoned.
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "par.window.app");
    ASSERT_NE(nullptr, mutex);
    TerminateProcess(crashed.process(), 1);
    EXPECT_EQ(1, crashed.waitForExit(EXIT_MS));

    SkyvaneRun next;
    EXPECT_NE(nullptr, startUp(next, L""));
    EXPECT_TRUE(next.isRunning());
    CloseHandle(mutex);
    EXPECT_EQ(0, closeAndWait(next));
}

TEST_F(SkyvaneProgramTest, ScreenSaverInstanceRunsBesideTheAppAndSavesNoSettings)
{
    SkyvaneRun app;
    ASSERT_NE(nullptr, startUp(app, L""));
    SkyvaneRun screenSaver;
    ASSERT_NE(nullptr, startUp(screenSaver, L"-s"));
    EXPECT_TRUE(app.isRunning());
    EXPECT_TRUE(mutexExists("par.window.app-saver"));
    EXPECT_TRUE(test::pipeExists("\\\\.\\pipe\\par\\quor\\app-saver"));

    EXPECT_EQ(0, closeAndWait(screenSaver));
    DWORD value = 0;
    EXPECT_FALSE(readProductDword(L"", L"isFullscreenMode", value));
    EXPECT_FALSE(readProductDword(L"\\fullscreenDisplayMode", L"id", value));
    EXPECT_EQ(0, closeAndWait(app));
    EXPECT_TRUE(readProductDword(L"", L"isFullscreenMode", value));
}

TEST_F(SkyvaneProgramTest, SuspendIsAnsweredOnlyAfterTheMovieAnswered)
{
    SkyvaneRun run(test::MovieReplacements{{"request suspend <asyncResponse", "request suspend after 1500 <asyncResponse"}});
    ASSERT_NE(nullptr, startUp(run, L""));
    const DWORD sent = GetTickCount();
    EXPECT_EQ("ok", test::pipeRequest(APP_PIPE, "suspend", 10000));
    EXPECT_GE(GetTickCount() - sent, 1400u);
    EXPECT_TRUE(run.transcriptHas(L"set", L"xmlRequest", L"id=\"suspend\""));
    EXPECT_TRUE(run.transcriptHas(L"fscommand", L"xmlResponse", L"id=\"suspend\""));
    EXPECT_EQ(0, closeAndWait(run));
}

TEST_F(SkyvaneProgramTest, BrokenPipeClientsDoNotKeepTheNextClientOut)
{
    SkyvaneRun run(test::MovieReplacements{{"request suspend <", "request hold never\nrequest suspend <"}});
    ASSERT_NE(nullptr, startUp(run, L""));

    // An empty request, whose answer no id could find, then one left unread.
    ASSERT_TRUE(sendUnreadAndClose({"", "activate"}));
    EXPECT_TRUE(activateIsServed());

    // An id that would not come back from the movie as it went, and the hang
    // monitor's own id: answered empty at once.
    WaitNamedPipeA(APP_PIPE, 5000);
    par::PipeClient client(APP_PIPE);
    client.start();
    for (const char* refused : {"activate\r\n", "ping"}) {
        std::string answer = "none";
        EXPECT_TRUE(client.sendRequest(refused, 5000, answer));
        EXPECT_EQ("", answer) << refused;
    }
    client.connect(false, 2000);

    // A request that the movie never answers, from a client that closed with
    // another request still queued.
    ASSERT_TRUE(sendUnreadAndClose({"hold", "activate"}));
    EXPECT_TRUE(run.waitForTranscript(L"set", L"xmlRequest", L"id=\"hold\"", 5000));
    EXPECT_TRUE(activateIsServed());
    EXPECT_EQ(0, closeAndWait(run));
}

TEST_F(SkyvaneProgramTest, StartInTheTrayShowsNothingAndTrimsTheWorkingSet)
{
    SkyvaneRun run;
    HWND window = startUp(run, L"-mt");
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(nullptr, run.findWindow("#32770"));
    const char* const trimmed = "AppController::trimWorkingSet()";
    EXPECT_EQ(std::string::npos, run.log().find(trimmed));
    EXPECT_TRUE(run.waitForLog(trimmed, 5000));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(0, closeAndWait(run));
}

TEST_F(SkyvaneProgramTest, MovieThatNeverConfirmsItsShutdownKeepsTheProgramRunning)
{
    SkyvaneRun run(test::MovieReplacements{{"on shutdown after 300 flashcall", "# on shutdown after 300 flashcall"}});
    HWND window = startUp(run, L"");
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.waitForTranscript(L"set", L"shutdown", L"", 5000));
    EXPECT_EQ(-1, run.waitForExit(2000));
    EXPECT_TRUE(run.isRunning());
}

} // namespace
