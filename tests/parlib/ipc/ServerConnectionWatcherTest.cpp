#include "ipc/ServerConnectionWatcher.h"

#include "CountingServer.h"
#include "MessagePump.h"
#include "TestApplication.h"
#include "winui/CustomWindow.h"

#include <gtest/gtest.h>

#include <memory>
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
    const DWORD start = GetTickCount();
    while (watcher->getState() == ServerConnectionWatcher::STATE_PENDING && GetTickCount() - start < 5000)
        Sleep(5);
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
