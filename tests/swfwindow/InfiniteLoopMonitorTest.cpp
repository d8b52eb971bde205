#include "SwfWindowTestBase.h"

#include "swfwindow/InfiniteLoopMonitor.h"

#include "MessagePump.h"

#include <atomic>

namespace {

class CountingListener : public swfWindow::InfiniteLoopMonitorListener {
public:
    void onInfiniteLoop() override
    {
        threadId = GetCurrentThreadId();
        tick = GetTickCount();
        ++reports;
    }
    std::atomic<int> reports{0};
    std::atomic<DWORD> threadId{0};
    std::atomic<DWORD> tick{0};
};

// These tests wait for the monitor's real time limits.
class InfiniteLoopMonitorTest : public test::SwfWindowTestBase {
protected:
    void SetUp() override
    {
        test::SwfWindowTestBase::SetUp();
        window->getInfiniteLoopMonitor()->setListener(&listener);
    }

    size_t pings() const { return variableValues(L"xmlRequest").size(); }

    CountingListener listener;
};

TEST_F(InfiniteLoopMonitorTest, AnsweringMovieIsPingedEveryTwoSecondsOnceReadyAndNeverReported)
{
    test::pumpMessages(2500);
    EXPECT_EQ(0u, pings());

    fireFsCommand(L"parProgramReady", L"");
    test::pumpMessages(13000);
    ASSERT_GE(pings(), 5u);
    EXPECT_LE(pings(), 7u);
    EXPECT_EQ(0u, variableValues(L"xmlRequest")[0].find(L"<asyncRequest id=\"ping\"/>"));
    EXPECT_EQ(0, listener.reports);
}

TEST_F(InfiniteLoopMonitorTest, MovieThatStopsAnsweringIsReportedOnceFromTheMonitorThread)
{
    standIn->SetHang(VARIANT_TRUE);
    fireFsCommand(L"parProgramReady", L"");
    ASSERT_TRUE(test::pumpUntil([&] { return pings() == 1; }, 3000));
    const DWORD pinged = GetTickCount();

    ASSERT_TRUE(test::pumpUntil([&] { return listener.reports > 0; }, 12000));
    const DWORD waited = listener.tick - pinged;
    EXPECT_GE(waited, 9000u);
    EXPECT_LE(waited, 11000u);
    EXPECT_NE(GetCurrentThreadId(), listener.threadId);

    fireFsCommand(L"parProgramReady", L"");
    test::pumpMessages(2500);
    EXPECT_EQ(1, listener.reports);
    EXPECT_EQ(1u, pings());
}

TEST_F(InfiniteLoopMonitorTest, DestroyingTheWindowEndsTheMonitorAtOnceAndLeavesItsPingHarmless)
{
    fireFsCommand(L"parProgramReady", L"");
    // Not pumping: the monitor's first ping waits in the queue.
    Sleep(2300);

    const DWORD start = GetTickCount();
    destroyWindow();
    EXPECT_LT(GetTickCount() - start, 500u);
    test::pumpMessages(200);
    EXPECT_EQ(0, listener.reports);
}

} // namespace
