#include "thread/Timer.h"

#include "MessagePump.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using Journal = std::vector<std::string>;

class RecordingTimer : public par::Timer {
public:
    RecordingTimer(unsigned intervalMs, Journal* journal) : par::Timer(intervalMs), myJournal(journal) {}
    void onTick() override { myJournal->push_back("tick"); }
    Journal* myJournal;
};

class RecordingListener : public par::Timer::Listener {
public:
    RecordingListener(std::string name, Journal* journal) : myName(std::move(name)), myJournal(journal) {}
    ~RecordingListener() override { myJournal->push_back(myName + " deleted"); }
    void onTimer(par::Timer*) override { myJournal->push_back(myName); }
    std::string myName;
    Journal* myJournal;
};

// Takes a due tick of a 1 ms timer off the queue without dispatching it,
// as a loop does that looks at a message before it dispatches it.
MSG takeDueTick()
{
    Sleep(30);
    MSG msg{};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    return msg;
}

} // namespace

TEST(Timer, EachTickCallsOnTickThenTheListenersInOrder)
{
    Journal journal;
    RecordingTimer timer(10, &journal);
    RecordingListener first("first", &journal);
    RecordingListener second("second", &journal);
    timer.addListener(&first, false);
    timer.addListener(&second, false);
    timer.start();
    ASSERT_TRUE(test::pumpUntil([&] { return journal.size() >= 6; }, 5000));
    timer.stop();
    journal.resize(6);
    EXPECT_EQ((Journal{"tick", "first", "second", "tick", "first", "second"}), journal);
}

TEST(Timer, StartingARunningTimerKeepsItsStartTickAndMakesNoSecondSystemTimer)
{
    Journal journal;
    RecordingTimer timer(1, &journal);
    timer.start();
    const DWORD startTick = timer.getStartTick();
    Sleep(50);
    timer.start();
    EXPECT_EQ(startTick, timer.getStartTick());
    // One stop must silence it: a second system timer would go on ticking.
    timer.stop();
    test::pumpMessages(200);
    EXPECT_TRUE(journal.empty());
}

TEST(Timer, AStoppedTimerStaysSilentUntilStartedAgain)
{
    Journal journal;
    RecordingTimer timer(1, &journal);
    timer.stop();
    timer.start();
    const MSG tick = takeDueTick();
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    DispatchMessageA(&tick);
    test::pumpMessages(100);
    EXPECT_TRUE(journal.empty());

    timer.start();
    EXPECT_TRUE(test::pumpUntil([&] { return !journal.empty(); }, 5000));
}

TEST(Timer, ADestroyedTimerIgnoresATickTakenBeforeItWent)
{
    Journal journal;
    RecordingListener listener("listener", &journal);
    auto* timer = new par::Timer(1);
    timer->addListener(&listener, false);
    timer->start();
    const MSG tick = takeDueTick();
    delete timer;
    DispatchMessageA(&tick);
    EXPECT_TRUE(journal.empty());
}

TEST(Timer, ANewIntervalTakesEffectOnlyAfterStopAndStart)
{
    Journal journal;
    RecordingTimer timer(3000, &journal);
    timer.start();
    timer.setInterval(10);
    test::pumpMessages(300);
    EXPECT_TRUE(journal.empty());
    timer.stop();
    timer.start();
    EXPECT_TRUE(test::pumpUntil([&] { return !journal.empty(); }, 5000));
}

TEST(Timer, DestructionDeletesOnlyTheOwnedListeners)
{
    Journal journal;
    RecordingListener shared("shared", &journal);
    {
        par::Timer timer(10);
        timer.addListener(new RecordingListener("owned", &journal), true);
        timer.addListener(&shared, false);
        timer.start();
    }
    EXPECT_EQ(Journal{"owned deleted"}, journal);
}

TEST(Timer, AListenerThatDestroysTheTimerEndsTheTick)
{
    struct Destroyer : par::Timer::Listener {
        void onTimer(par::Timer* timer) override { delete timer; }
    } destroyer;
    Journal journal;
    auto* timer = new par::Timer(10);
    timer->addListener(&destroyer, false);
    timer->addListener(new RecordingListener("owned", &journal), true);
    timer->start();
    ASSERT_TRUE(test::pumpUntil([&] { return !journal.empty(); }, 5000));
    test::pumpMessages(100);
    EXPECT_EQ(Journal{"owned deleted"}, journal);
}
