// The screen saver "skyvane.scr" as its own process, the Flash control
// stand-in registered in the prefix playing the movie, and this process in
// the desktop program's place on its pipe when a test needs it.
#include "SaverProcess.h"

#include "LoopApplication.h"
#include "MessagePump.h"
#include "PipeTestSupport.h"
#include "TempDir.h"
#include "VirtualDesktop.h"

#include "ipc/PipeServer.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const APP_PIPE = "\\\\.\\pipe\\par\\quor\\app";
const wchar_t* const PRODUCT_KEY = L"Software\\Ondrel\\skyvane";
const wchar_t* const INSTALL_FOLDER = L"installFolder";
const char* const SAVER_CLASS = "WindowsScreenSaverClass";
const char* const CONFIGURE_TITLE = "Skyvane screen saver";
constexpr unsigned LIMIT_MS = 20000;

// The desktop program's side of the pipe: answers "ok" and notes, for each
// request, whether the saver's movie had been loaded by then. A desktop
// program that hangs takes "resume" and never answers it.
class DesktopProgramStandIn : public par::PipeServer::Handler {
public:
    explicit DesktopProgramStandIn(std::function<bool()> movieLoaded) : myMovieLoaded(movieLoaded) {}
    ~DesktopProgramStandIn() override
    {
        if (myHeldResume)
            myHeldResume->complete("");
    }

    void handleRequest(par::PipeServer::AsyncRequest* request) override
    {
        if (request->getRequest() != "resume" || answersResume) {
            Handler::handleRequest(request);
            return;
        }
        requests.push_back("resume");
        myHeldResume = request;
    }

    bool handleSyncRequest(const std::string& request, std::string& response) override
    {
        requests.push_back(request);
        movieLoadedAtRequest.push_back(myMovieLoaded());
        if (request == "suspend" && beforeSuspendAnswer)
            beforeSuspendAnswer();
        response = "ok";
        return true;
    }

    std::vector<std::string> requests;
    std::vector<bool> movieLoadedAtRequest;
    std::function<void()> beforeSuspendAnswer;
    bool answersResume = true;

private:
    std::function<bool()> myMovieLoaded;
    par::PipeServer::AsyncRequest* myHeldResume = nullptr;
};

class SaverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installMovie(test::winePath(STANDIN_MOVIES "/saver.movie"));
        ASSERT_EQ(ERROR_SUCCESS, par::openRegKeyForWrite(myInstallKey.receive(), HKEY_LOCAL_MACHINE, PRODUCT_KEY));
        myHadInstallFolder = par::readRegString(myInstallKey.get(), INSTALL_FOLDER, myPreviousInstallFolder)
            == ERROR_SUCCESS;
        par::writeRegString(myInstallKey.get(), INSTALL_FOLDER, myFolder.path());
        SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", transcriptPath().c_str());
    }

    void TearDown() override
    {
        if (myHadInstallFolder)
            par::writeRegString(myInstallKey.get(), INSTALL_FOLDER, myPreviousInstallFolder);
        else
            RegDeleteValueW(myInstallKey.get(), INSTALL_FOLDER);
        SetEnvironmentVariableW(L"FLASH_STANDIN_TRANSCRIPT", nullptr);
    }

    void installMovie(const std::wstring& script)
    {
        ASSERT_TRUE(CopyFileW(script.c_str(), myFolder.file(L"skyvanedesktop.swf").c_str(), FALSE));
    }

    std::unique_ptr<test::SaverProcess> start(const std::wstring& arguments)
    {
        auto saver = std::make_unique<test::SaverProcess>(SAVER_PATH, arguments, myFolder.file(L"log.txt"));
        EXPECT_TRUE(saver->started());
        return saver;
    }

    // Runs this thread's loop meanwhile, which the pipe server hands its
    // requests to.
    bool runUntil(const std::function<bool()>& condition, unsigned timeoutMs = LIMIT_MS)
    {
        return myApplication.runUntil(condition, timeoutMs);
    }

    bool ends(const test::SaverProcess& saver, unsigned timeoutMs = LIMIT_MS)
    {
        return runUntil([&] { return saver.hasEnded(); }, timeoutMs);
    }

    std::wstring transcriptPath() const { return myFolder.file(L"transcript.txt"); }
    std::string transcript() const { return test::readFile(transcriptPath()); }
    bool transcriptHas(const std::string& text) const
    {
        return transcript().find(text) != std::string::npos;
    }
    bool movieLoaded() const { return transcriptHas("\tload\t"); }

    std::unique_ptr<par::PipeServer> serveAppPipe(DesktopProgramStandIn& handler)
    {
        auto server = std::make_unique<par::PipeServer>(APP_PIPE);
        server->setHandler(&handler);
        server->start();
        test::waitForPipe(APP_PIPE);
        return server;
    }

    test::LoopApplication myApplication;
    test::TempDir myFolder;
    par::ScopedRegKey myInstallKey;
    bool myHadInstallFolder = false;
    std::wstring myPreviousInstallFolder;
};

TEST_F(SaverTest, FullScreenWithoutDesktopProgramPlaysTheMovieUntilItsShutdownDone)
{
    auto saver = start(L"/s");
    ASSERT_TRUE(runUntil([&] { return transcriptHas("set\tactive\ttrue"); }));
    HWND window = saver->findWindow(SAVER_CLASS);
    ASSERT_NE(nullptr, window);
    RECT bounds;
    GetWindowRect(window, &bounds);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), bounds.right - bounds.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), bounds.bottom - bounds.top);

    // Once the movie runs, input ends nothing: the movie decides.
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300));
    PostMessageA(window, WM_LBUTTONDOWN, 0, 0);
    ASSERT_TRUE(ends(*saver));
    EXPECT_TRUE(transcriptHas("flashcall\tshutdownDone"));
    EXPECT_EQ(0u, saver->exitCode());
    const std::string log = saver->output();
    EXPECT_EQ(std::string::npos, log.find("main-app detected")) << log;
    EXPECT_EQ(std::string::npos, log.find("Resume main-app")) << log;
    EXPECT_NE(std::string::npos, log.find("SaverFlashHandler::doShutdownDone()")) << log;
}

TEST_F(SaverTest, FullScreenSuspendsTheRunningDesktopProgramBeforeTheMovieAndResumesItAtTheEnd)
{
    DesktopProgramStandIn desktop([this] { return movieLoaded(); });
    std::unique_ptr<test::SaverProcess> saver;
    // The system's own move where the cursor is, as the window appears, is no input.
    POINT cursor = {};
    GetCursorPos(&cursor);
    desktop.beforeSuspendAnswer = [&] {
        PostMessageA(saver->findWindow(SAVER_CLASS), WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    };
    auto server = serveAppPipe(desktop);
    saver = start(L"/s");
    ASSERT_TRUE(ends(*saver));
    EXPECT_EQ(0u, saver->exitCode());
    ASSERT_EQ((std::vector<std::string>{"suspend", "resume"}), desktop.requests);
    EXPECT_FALSE(desktop.movieLoadedAtRequest[0]);
    EXPECT_TRUE(desktop.movieLoadedAtRequest[1]);
    const std::string log = saver->output();
    for (const char* line : {"main-app detected", "\"suspend\" request sent", "Main app suspended",
                             "Resume main-app", "main-app resumed."})
        EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;
}

TEST_F(SaverTest, AnotherWindowTakingTheFocusClosesTheRunningSaver)
{
    auto saver = start(L"/s");
    ASSERT_TRUE(runUntil([&] { return transcriptHas("set\tactive\ttrue"); }));
    HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(ends(*saver));
    EXPECT_EQ(0u, saver->exitCode());
    // Before the movie's own end.
    EXPECT_FALSE(transcriptHas("flashcall\tshutdownDone"));
    DestroyWindow(other);
}

TEST_F(SaverTest, InputBeforeTheStartEndsTheSaverWithoutLoadingTheMovie)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    // A key, and a mouse move well beyond the slack.
    const MSG inputs[] = {{nullptr, WM_KEYDOWN, 'A', 0, 0, {}},
                          {nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 40, cursor.y + 40), 0, {}}};
    for (const MSG& input : inputs) {
        DesktopProgramStandIn desktop([this] { return movieLoaded(); });
        std::unique_ptr<test::SaverProcess> saver;
        // The input reaches the saver while it waits for the desktop program.
        desktop.beforeSuspendAnswer = [&] {
            PostMessageA(saver->findWindow(SAVER_CLASS), input.message, input.wParam, input.lParam);
        };
        auto server = serveAppPipe(desktop);
        saver = start(L"/s");
        ASSERT_TRUE(ends(*saver)) << input.message;
        EXPECT_EQ(0u, saver->exitCode()) << input.message;
        EXPECT_FALSE(movieLoaded()) << input.message << "\n" << transcript();
        // What was suspended is resumed.
        EXPECT_EQ((std::vector<std::string>{"suspend", "resume"}), desktop.requests) << input.message;
    }
}

TEST_F(SaverTest, PreviewRunsInTheGivenWindowAndNeverOpensThePipe)
{
    // A pipe instance of our own shows whether anybody connects.
    par::ScopedHandle pipe(CreateNamedPipeA(APP_PIPE, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                                            4096, 4096, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe.get());
    par::ScopedHandle connected(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped = {};
    overlapped.hEvent = connected.get();
    ConnectNamedPipe(pipe.get(), &overlapped);

    HWND parent = CreateWindowExA(0, "STATIC", "preview", WS_POPUP | WS_VISIBLE, 0, 0, 152, 114,
                                  nullptr, nullptr, nullptr, nullptr);
    auto saver = start(L"/p " + std::to_wstring(reinterpret_cast<UINT_PTR>(parent)));
    HWND preview = nullptr;
    ASSERT_TRUE(test::pumpUntil(
        [&] { return (preview = FindWindowExA(parent, nullptr, SAVER_CLASS, nullptr)) != nullptr; }, LIMIT_MS));
    // Found while it is being made, the window may not have its client area yet.
    RECT client = {};
    test::pumpUntil([&] { return GetClientRect(preview, &client) && client.right == 152; }, LIMIT_MS);
    EXPECT_EQ(152, client.right);
    EXPECT_EQ(114, client.bottom);
    PostMessageA(preview, WM_CLOSE, 0, 0);
    ASSERT_TRUE(test::pumpUntil([&] { return saver->hasEnded(); }, LIMIT_MS));
    EXPECT_EQ(0u, saver->exitCode());
    EXPECT_NE(WAIT_OBJECT_0, WaitForSingleObject(connected.get(), 0));
    EXPECT_FALSE(movieLoaded());
    CancelIo(pipe.get());
    DestroyWindow(parent);
}

// A listed display mode of another width than the current one.
bool findOtherDisplayMode(DEVMODEA& other)
{
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
    other = {};
    other.dmSize = sizeof other;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &other); ++i)
        if (other.dmPelsWidth != current.dmPelsWidth && other.dmBitsPerPel == current.dmBitsPerPel)
            return true;
    return false;
}

DWORD currentScreenWidth()
{
    DEVMODEA current = {};
    current.dmSize = sizeof current;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current);
    return current.dmPelsWidth;
}

TEST_F(SaverTest, ConfigureShowsTheMovieInTheStoredDisplayModeAndClosingResumesAndSaves)
{
    const std::wstring displayModeKey = std::wstring(PRODUCT_KEY) + L"\\fullscreenDisplayMode";
    DEVMODEA other;
    ASSERT_TRUE(findOtherDisplayMode(other));
    const DWORD userWidth = currentScreenWidth();
    // With a stored mode, and without one.
    for (const wchar_t* form : {L"/c", L""}) {
        const bool provided = *form != 0;
        SCOPED_TRACE(std::string(form, form + wcslen(form)));
        RegDeleteTreeW(HKEY_CURRENT_USER, displayModeKey.c_str());
        if (provided) {
            par::ScopedRegKey stored;
            ASSERT_EQ(ERROR_SUCCESS, par::openRegKeyForWrite(stored.receive(), HKEY_CURRENT_USER, displayModeKey));
            par::writeRegDword(stored.get(), L"id", 1);
            par::writeRegDword(stored.get(), L"width", other.dmPelsWidth);
            par::writeRegDword(stored.get(), L"height", other.dmPelsHeight);
            par::writeRegDword(stored.get(), L"depth", other.dmBitsPerPel);
        }
        DeleteFileW(transcriptPath().c_str());
        DesktopProgramStandIn desktop([this] { return movieLoaded(); });
        auto server = serveAppPipe(desktop);
        auto saver = start(form);
        ASSERT_TRUE(runUntil([&] { return transcriptHas("set\tactive\ttrue"); }))
            << saver->output() << transcript();
        EXPECT_EQ(provided ? other.dmPelsWidth : userWidth, currentScreenWidth());
        HWND dialog = saver->findWindow("#32770", CONFIGURE_TITLE);
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(runUntil([&] { return !IsWindowVisible(dialog); }));
        HWND content = saver->findWindow("ParDefaultWindowClass");
        ASSERT_NE(nullptr, content);
        RECT bounds;
        GetWindowRect(content, &bounds);
        EXPECT_EQ(static_cast<LONG>(currentScreenWidth()), bounds.right - bounds.left);

        // The movie's "shutdownDone" closes the dialog, and so does closing
        // the window that the user sees.
        if (!provided)
            PostMessageA(content, WM_CLOSE, 0, 0);
        ASSERT_TRUE(ends(*saver));
        ChangeDisplaySettingsA(nullptr, 0);
        EXPECT_EQ(0u, saver->exitCode());
        EXPECT_EQ((std::vector<std::string>{"suspend", "resume"}), desktop.requests);
        par::ScopedRegKey saved;
        DWORD id = 99;
        DWORD width = 0;
        ASSERT_EQ(ERROR_SUCCESS, par::openRegKeyForRead(saved.receive(), HKEY_CURRENT_USER, displayModeKey));
        EXPECT_EQ(ERROR_SUCCESS, par::readRegDword(saved.get(), L"id", &id));
        EXPECT_EQ(provided ? 1u : 0u, id);
        if (provided) {
            par::readRegDword(saved.get(), L"width", &width);
            EXPECT_EQ(other.dmPelsWidth, width);
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, displayModeKey.c_str());
}

TEST_F(SaverTest, ConfigureAnswersTheRoleScreenSaverConfig)
{
    auto saver = start(L"/c");
    ASSERT_TRUE(ends(*saver));
    EXPECT_NE(std::string::npos, transcript().find("return\tgetRole\t")) << transcript();
    EXPECT_NE(std::string::npos, transcript().find("screenSaverConfig")) << transcript();
}

TEST_F(SaverTest, HangingMovieResumesTheDesktopProgramAndEndsTheSaverWithExitCode1)
{
    installMovie(test::winePath(SAVER_TEST_MOVIES "/hanging.movie"));
    DesktopProgramStandIn desktop([this] { return movieLoaded(); });
    auto server = serveAppPipe(desktop);
    auto saver = start(L"/s");
    ASSERT_TRUE(runUntil([&] { return transcriptHas("\thang"); }));
    // The monitor waits 2 s between pings and 10 s for an answer.
    ASSERT_TRUE(ends(*saver, 20000));
    EXPECT_EQ(1u, saver->exitCode());
    EXPECT_EQ((std::vector<std::string>{"suspend", "resume"}), desktop.requests);
}

TEST_F(SaverTest, HangingMovieEndsTheSaverWithinTheResumeLimitWhenTheDesktopProgramNeverAnswers)
{
    installMovie(test::winePath(SAVER_TEST_MOVIES "/hanging.movie"));
    DesktopProgramStandIn desktop([this] { return movieLoaded(); });
    desktop.answersResume = false;
    auto server = serveAppPipe(desktop);
    auto saver = start(L"/s");
    // The monitor waits 2 s between pings and 10 s for an answer.
    ASSERT_TRUE(runUntil([&] { return saver->output().find("Flash did not responded") != std::string::npos; },
                         30000))
        << saver->output();
    const DWORD reported = GetTickCount();
    // The resume has 5 s in all; each of its three steps waiting 5 s of its
    // own takes at least 10 s.
    ASSERT_TRUE(ends(*saver, 8000)) << saver->output();
    EXPECT_LT(GetTickCount() - reported, 8000u);
    EXPECT_EQ(1u, saver->exitCode());
    EXPECT_EQ((std::vector<std::string>{"suspend", "resume"}), desktop.requests);
}

TEST_F(SaverTest, WithoutTheDesktopProgramInstalledTheSaverClosesAtOnce)
{
    RegDeleteValueW(myInstallKey.get(), INSTALL_FOLDER);
    auto saver = start(L"/s");
    ASSERT_TRUE(ends(*saver));
    EXPECT_EQ(0u, saver->exitCode());
    const std::string log = saver->output();
    EXPECT_NE(std::string::npos, log.find("Application not found...")) << log;
    EXPECT_NE(std::string::npos, log.find("myAppPath missing")) << log;
    EXPECT_FALSE(movieLoaded());
}

} // namespace

// In a desktop of its own: another test's window taking the focus would
// close the saver.
int main(int argc, char** argv)
{
    return test::runTestsInVirtualDesktop(argc, argv);
}
