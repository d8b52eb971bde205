#include "app/UiApplication.h"
#include "util/Log.h"
#include "winui/CustomWindow.h"

#include "ModalLoop.h"
#include "QuitGuard.h"
#include "TestApplication.h"
#include "TestRunnable.h"
#include "WindowListeners.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <thread>

using par::Application;
using par::UiApplication;
using test::RunnableRecord;
using test::TestRunnable;

namespace {

const DWORD LOOP_LIMIT_MS = 10000;

class QuitRunnable : public par::Runnable {
public:
    void run() override { UiApplication::instance()->quit(); }
};

par::Window* newMainWindow()
{
    return new par::CustomWindow(WS_OVERLAPPEDWINDOW, 0, "ParDefaultWindowClass");
}

// Captures what the log "app" writes while it lives.
class AppLogCapture {
public:
    AppLogCapture() { par::getLog("app")->setStream(&myText); }
    ~AppLogCapture() { par::getLog("app")->setStream(nullptr); }
    std::string text() const { return myText.str(); }

private:
    std::ostringstream myText;
};

bool quitPending()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

} // namespace

TEST(Application, SecondApplicationIsRefusedAndTheFirstStays)
{
    test::TestApplication first;
    try {
        test::TestApplication second;
        FAIL() << "a second application was built";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to create Application for the second time.", text);
    }
    EXPECT_EQ(&first, Application::instance());
    EXPECT_EQ(&first, UiApplication::instance());
}

TEST(Application, InstanceIsClearedWhenTheApplicationGoes)
{
    { test::TestApplication application; }
    EXPECT_EQ(nullptr, Application::instance());
    test::TestApplication again;
    EXPECT_EQ(&again, Application::instance());
}

TEST(Application, RunnablesFromAWorkerRunOnceOnTheUiThreadOnBothRoads)
{
    test::TestApplication application;
    test::RecordingDispatcher spy;
    RunnableRecord toThread, toWindow;
    std::thread worker;
    application.mainWindowFactory = [&] {
        par::Window* window = newMainWindow();
        window->addWindowEventDispatcher(&spy, false);
        return window;
    };
    application.onInitHook = [&] {
        worker = std::thread([&] {
            EXPECT_TRUE(Application::asyncExec(new TestRunnable(toThread)));
            EXPECT_TRUE(UiApplication::asyncExec(new TestRunnable(toWindow)));
            UiApplication::asyncExec(new QuitRunnable);
        });
    };
    test::QuitGuard guard(LOOP_LIMIT_MS);
    const int result = application.run();
    worker.join();

    EXPECT_EQ(0, result);
    for (RunnableRecord* record : {&toThread, &toWindow}) {
        EXPECT_EQ(1, record->runs);
        EXPECT_EQ(1, record->deletions);
        EXPECT_TRUE(record->aliveWhenRun);
        EXPECT_EQ(GetCurrentThreadId(), record->runThread);
    }
    // The loop runs them itself: no window procedure sees the message.
    EXPECT_FALSE(spy.saw(par::WM_ASYNC_EXEC));
    EXPECT_EQ(1, application.exits);
}

TEST(Application, HandedOffWorkRunsInAModalLoopAndWhatIsLeftGoesWithTheApplication)
{
    RunnableRecord inModalLoop, left;
    {
        test::TestApplication application;
        std::thread worker([&] { EXPECT_TRUE(Application::handOff(new TestRunnable(inModalLoop))); });
        EXPECT_TRUE(test::runModalLoopUntil([&] { return inModalLoop.runs == 1; }, LOOP_LIMIT_MS));
        worker.join();
        EXPECT_TRUE(Application::handOff(new TestRunnable(left)));
    }
    EXPECT_EQ(1, inModalLoop.deletions);
    EXPECT_EQ(GetCurrentThreadId(), inModalLoop.runThread);
    EXPECT_EQ(0, left.runs);
    EXPECT_EQ(1, left.deletions);
    EXPECT_FALSE(Application::handOff(new TestRunnable(left)));
    EXPECT_EQ(2, left.deletions);
}

TEST(Application, HandOffWithoutApplicationFailsAndDeletesTheRunnable)
{
    AppLogCapture log;
    RunnableRecord toThread, toWindow;
    EXPECT_FALSE(Application::asyncExec(new TestRunnable(toThread)));
    EXPECT_FALSE(UiApplication::asyncExec(new TestRunnable(toWindow)));
    EXPECT_EQ(1, toThread.deletions);
    EXPECT_EQ(0, toThread.runs);
    EXPECT_EQ(1, toWindow.deletions);
    EXPECT_EQ("UiApplication::asyncExec. UI Event post failure! Application instance not found.\n",
              log.text());
}

TEST(UiApplication, HandOffWithoutMainWindowFailsAndDeletesTheRunnable)
{
    test::TestApplication application;
    AppLogCapture log;
    RunnableRecord record;
    EXPECT_FALSE(UiApplication::asyncExec(new TestRunnable(record)));
    EXPECT_EQ(1, record.deletions);
    EXPECT_EQ("UiApplication::asyncExec. UI Event post failure! Application window not found.\n",
              log.text());
}

TEST(UiApplication, RunReturnsZeroWithoutMainWindowAndSkipsExit)
{
    test::TestApplication application;
    EXPECT_EQ(0, application.run());
    EXPECT_EQ(0, application.inits);
    EXPECT_EQ(0, application.exits);
}

TEST(UiApplication, ClosingTheMainWindowEndsTheLoopWithZero)
{
    test::TestApplication application;
    application.mainWindowFactory = newMainWindow;
    application.onInitHook = [&] { application.getMainWindow()->close(); };
    test::QuitGuard guard(LOOP_LIMIT_MS);
    EXPECT_EQ(0, application.run());
    EXPECT_TRUE(application.isQuitting());
    EXPECT_EQ(1, application.exits);
    EXPECT_EQ(nullptr, application.getMainWindow());
}

TEST(UiApplication, CancelCommandQuitsOnlyInDialogMode)
{
    test::TestApplication application;
    application.mainWindowFactory = newMainWindow;
    bool quitOutsideDialogMode = true;
    application.onInitHook = [&] {
        par::Window* window = application.getMainWindow();
        window->sendMessage(WM_COMMAND, IDCANCEL, 0);
        quitOutsideDialogMode = quitPending();
        application.setDialogApplication(true);
        window->sendMessage(WM_COMMAND, IDCANCEL, 0);
    };
    test::QuitGuard guard(LOOP_LIMIT_MS);
    EXPECT_EQ(0, application.run());
    EXPECT_FALSE(quitOutsideDialogMode);
}

TEST(UiApplication, MainWindowThatTheLoopNeverRanWithGoesWithTheApplication)
{
    auto application = std::make_unique<test::TestApplication>();
    application->mainWindowFactory = newMainWindow;
    ASSERT_TRUE(application->init());
    HWND handle = application->getMainWindow()->getHandle();
    application.reset();
    EXPECT_FALSE(IsWindow(handle));
    // Its destruction does not ask the next loop to end.
    EXPECT_FALSE(quitPending());
}

TEST(Application, DataPathsFollowTheApplicationName)
{
    test::TestApplication application;
    EXPECT_EQ(L"", application.getApplicationDataPath());
    EXPECT_EQ(L"", application.getApplicationCommonDataPath());
    application.setName(L"X");
    ASSERT_FALSE(Application::getSystemDataPath().empty());
    ASSERT_FALSE(Application::getCommonDataPath().empty());
    EXPECT_EQ(Application::getSystemDataPath() + L"\\X", application.getApplicationDataPath());
    EXPECT_EQ(Application::getCommonDataPath() + L"\\X", application.getApplicationCommonDataPath());
}

TEST(Application, DirPathIsTheExecutablesFolderOnEveryCall)
{
    const std::wstring executable = Application::getExecutablePath();
    const std::wstring folder = Application::getApplicationDirPath();
    EXPECT_EQ(executable.substr(0, executable.rfind(L'\\')), folder);
    EXPECT_NE(L'\\', folder.back());
    EXPECT_EQ(folder, Application::getApplicationDirPath());
}
