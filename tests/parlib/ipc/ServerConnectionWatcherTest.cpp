#include "ipc/ServerConnectionWatcher.h"

#include "CountingServer.h"
#include "MessagePump.h"
#include "PollUntil.h"
#include "TestApplication.h"
#include "winui/CustomWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

using par::ServerConnectionWatcher;

namespace {

class StateRecorder : public ServerConnectionWatcher::Listener {
public:
    void handleStateChange(ServerConnectionWatcher* watcher, int state) override
    {
        watchers.push_back(watcher);
        states.push_back(state);
        threads.push_back(GetCurrentThreadId());
    }
    std::vector<ServerConnectionWatcher*> watchers;
    std::vector<int> states;
    std::vector<DWORD> threads;
};

// Removes another listener when it is told, as an owner that drops (and
// may delete) a watcher's other user would.
class RemovingListener : public ServerConnectionWatcher::Listener {
public:
    RemovingListener(ServerConnectionWatcher& watcher, StateRecorder* other) : myWatcher(watcher), myOther(other) {}
    void handleStateChange(ServerConnectionWatcher*, int) override
    {
        ++calls;
        if (myOther) {
            myWatcher.removeListener(myOther);
            myOther = nullptr;
        }
    }
    int calls = 0;

private:
    ServerConnectionWatcher& myWatcher;
    StateRecorder* myOther;
};

class ServerConnectionWatcherTest : public ::testing::Test {
protected:
    ServerConnectionWatcherTest()
    {
        myApp.mainWindowFactory = [] {
            return new par::CustomWindow(WS_OVERLAPPEDWINDOW, 0, "ParDefaultWindowClass");
        };
        // The main window exists from here on: state changes are posted to it
        // and run by its window procedure as the messages are dispatched.
        myApp.init();
    }
    ~ServerConnectionWatcherTest() override { myApp.exit(); }

    void runFor(unsigned ms) { test::pumpMessages(ms); }
    bool runUntil(const std::function<bool()>& condition) { return test::pumpUntil(condition, 10000); }

    test::TestApplication myApp{SW_HIDE};
    StateRecorder myRecorder;
};

} // namespace

TEST_F(ServerConnectionWatcherTest, ReachableAddressIsReportedConnectedOnTheUiThread)
{
    test::CountingServer server;
    ServerConnectionWatcher watcher(server.url());
    watcher.addListener(&myRecorder);
    EXPECT_EQ(ServerConnectionWatcher::STATE_PENDING, watcher.getState());
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return !myRecorder.states.empty(); }));
    EXPECT_EQ((std::vector<int>{ServerConnectionWatcher::STATE_CONNECTED}), myRecorder.states);
    EXPECT_EQ(&watcher, myRecorder.watchers[0]);
    EXPECT_EQ(GetCurrentThreadId(), myRecorder.threads[0]);
    EXPECT_EQ(ServerConnectionWatcher::STATE_CONNECTED, watcher.getState());
}

TEST_F(ServerConnectionWatcherTest, UnreachableAddressIsReportedOnceWhileItStaysUnreachable)
{
    ServerConnectionWatcher watcher(test::closedPortUrl());
    watcher.addListener(&myRecorder);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return !myRecorder.states.empty(); }));
    for (int i = 0; i < 3; ++i) {
        watcher.update();
        runFor(100);
    }
    EXPECT_EQ((std::vector<int>{ServerConnectionWatcher::STATE_DISCONNECTED}), myRecorder.states);
}

TEST_F(ServerConnectionWatcherTest, UpdateProbesAtOnceAndAChangeIsReported)
{
    auto server = std::make_unique<test::CountingServer>();
    ServerConnectionWatcher watcher(server->url());
    watcher.addListener(&myRecorder);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return myRecorder.states.size() == 1; }));
    // The probe's connection completes before the server's thread accepts it.
    ASSERT_TRUE(runUntil([&] { return server->accepted() == 1; }));

    watcher.update();
    ASSERT_TRUE(runUntil([&] { return server->accepted() == 2; })) << "no wait for the period";

    server.reset();
    watcher.update();
    ASSERT_TRUE(runUntil([&] { return myRecorder.states.size() == 2; }));
    EXPECT_EQ(ServerConnectionWatcher::STATE_DISCONNECTED, myRecorder.states[1]);
}

TEST_F(ServerConnectionWatcherTest, UpdateBeforeActivationAddsOneProbeAfterTheFirst)
{
    test::CountingServer server;
    ServerConnectionWatcher watcher(server.url());
    watcher.update();
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return server.accepted() == 2; }));
    runFor(300);
    EXPECT_EQ(2, server.accepted());
}

TEST_F(ServerConnectionWatcherTest, ActivatingTwiceStartsOneThread)
{
    test::CountingServer server;
    ServerConnectionWatcher watcher(server.url());
    watcher.setActive(true);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return server.accepted() >= 1; }));
    runFor(300);
    EXPECT_EQ(1, server.accepted());
}

TEST_F(ServerConnectionWatcherTest, ReactivationProbesAgainAndKeepsTheState)
{
    test::CountingServer server;
    ServerConnectionWatcher watcher(server.url());
    watcher.addListener(&myRecorder);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return myRecorder.states.size() == 1; }));
    watcher.setActive(false);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return server.accepted() == 2; }));
    runFor(200);
    EXPECT_EQ(1u, myRecorder.states.size()) << "an unchanged result is not reported";
    EXPECT_EQ(ServerConnectionWatcher::STATE_CONNECTED, watcher.getState());
}

TEST_F(ServerConnectionWatcherTest, StateChangeOfADeletedWatcherNeverReachesIt)
{
    auto watcher = std::make_unique<ServerConnectionWatcher>(test::closedPortUrl());
    watcher->addListener(&myRecorder);
    // The probe ends and its report waits in the queue while the watcher goes.
    watcher->setActive(true);
    test::pollUntil([&] { return watcher->getState() != ServerConnectionWatcher::STATE_PENDING; }, 5000, 5);
    ASSERT_EQ(ServerConnectionWatcher::STATE_DISCONNECTED, watcher->getState());
    watcher.reset();
    runFor(300);
    EXPECT_TRUE(myRecorder.states.empty());
}

TEST_F(ServerConnectionWatcherTest, DestroyingAnActiveWatcherStopsItsThreadPromptly)
{
    test::CountingServer server;
    const DWORD start = GetTickCount();
    {
        ServerConnectionWatcher watcher(server.url());
        watcher.setActive(true);
        Sleep(100);
    }
    EXPECT_LT(GetTickCount() - start, 1500u);
}

TEST_F(ServerConnectionWatcherTest, ManyStartsAndStopsDuringProbesNeitherHangNorLeakHandles)
{
    // A process dead-locked by a thread ended inside WinInet would otherwise
    // only meet the test's time limit.
    HANDLE finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([finished] {
        if (WaitForSingleObject(finished, 60000) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "the start and stop rounds hang\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    });

    test::CountingServer server;
    auto round = [&](int i) {
        ServerConnectionWatcher watcher(server.url());
        watcher.addListener(&myRecorder);
        watcher.setActive(true);
        // Stops land before, during and after the probe.
        Sleep(i % 3);
        if (i % 2) {
            watcher.setActive(false);
            watcher.setActive(true);
        }
    };
    // WinInet and the thread pool make their own handles once.
    round(0);
    runFor(300);
    DWORD before = 0;
    GetProcessHandleCount(GetCurrentProcess(), &before);

    for (int i = 0; i < 200; ++i) {
        round(i);
        if (i % 10 == 0)
            runFor(5);
    }
    // The late probes end on their own.
    runFor(500);
    DWORD after = 0;
    GetProcessHandleCount(GetCurrentProcess(), &after);
    SetEvent(finished);
    watchdog.join();
    CloseHandle(finished);
    EXPECT_LE(after, before + 5) << "handles before: " << before << ", after: " << after;
}

TEST_F(ServerConnectionWatcherTest, ListenerRemovedByAnEarlierOneIsNotTold)
{
    test::CountingServer server;
    ServerConnectionWatcher watcher(server.url());
    StateRecorder removed;
    RemovingListener remover(watcher, &removed);
    watcher.addListener(&remover);
    watcher.addListener(&removed);
    watcher.addListener(&myRecorder);
    watcher.setActive(true);
    ASSERT_TRUE(runUntil([&] { return !myRecorder.states.empty(); }));
    EXPECT_EQ(1, remover.calls);
    EXPECT_TRUE(removed.states.empty());
    EXPECT_EQ(1u, myRecorder.states.size()) << "the listener after the removed one is told";
}

TEST(ServerConnectionWatcherNames, StatesHaveTheirNames)
{
    EXPECT_EQ("pending", ServerConnectionWatcher::stateToString(0));
    EXPECT_EQ("connected", ServerConnectionWatcher::stateToString(1));
    EXPECT_EQ("disconnected", ServerConnectionWatcher::stateToString(2));
    EXPECT_EQ("", ServerConnectionWatcher::stateToString(3));
    EXPECT_EQ("", ServerConnectionWatcher::stateToString(-1));
}

TEST(ServerConnectionWatcherListeners, SameListenerTwiceIsRefused)
{
    ServerConnectionWatcher watcher("http://127.0.0.1:1/");
    StateRecorder recorder;
    watcher.addListener(&recorder);
    try {
        watcher.addListener(&recorder);
        FAIL() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ("Attempt to add the same listener for the second time.", text);
    }
    watcher.removeListener(&recorder);
    EXPECT_THROW(watcher.removeListener(&recorder), const char*);
}
