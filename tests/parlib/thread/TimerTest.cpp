#include "thread/Timer.h"

#include "MessagePump.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

// Records every call of its timer and of its listeners in one journal.
class RecordingTimer : public par::Timer {
public:
    RecordingTimer(unsigned intervalMs, std::vector<std::string>* journal)
        : par::Timer(intervalMs), myJournal(journal) {}
    void onTick() override { myJournal->push_back("tick"); }

private:
    std::vector<std::string>* myJournal;
};

class RecordingListener : public par::Timer::Listener {
public:
    RecordingListener(std::string name, std::vector<std::string>* journal, bool* deleted = nullptr)
        : myName(std::move(name)), myJournal(journal), myDeleted(deleted) {}
    ~RecordingListener() override
    {
        if (myDeleted)
            *myDeleted = true;
    }
    void onTimer(par::Timer*) override { myJournal->push_back(myName); }

private:
    std::string myName;
    std::vector<std::string>* myJournal;
    bool* myDeleted;
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
    std::vector<std::string> journal;
    RecordingTimer timer(10, &journal);
    RecordingListener first("first", &journal);
    RecordingListener second("second", &journal);
    timer.addListener(&first, false);
    timer.addListener(&second, false);
    timer.start();
    ASSERT_TRUE(test::pumpUntil([&] { return journal.size() >= 6; }, 5000));
    timer.stop();
    for (std::size_t i = 0; i + 2 < journal.size(); i += 3)
        EXPECT_EQ((std::vector<std::string>{"tick", "first", "second"}),
                  std::vector<std::string>(journal.begin() + i, journal.begin() + i + 3));
}

TEST(Timer, StartingARunningTimerKeepsItsStartTickAndMakesNoSecondSystemTimer)
{
    std::vector<std::string> journal;
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

TEST(Timer, StopOnAStoppedTimerDoesNothing)
{
    std::vector<std::string> journal;
    RecordingTimer timer(1, &journal);
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
    timer.start();
    timer.stop();
    timer.stop();
    EXPECT_FALSE(timer.isRunning());
}

TEST(Timer, AStoppedTimerIgnoresATickTakenBeforeItStoppedAndRestartsWithTicks)
{
    std::vector<std::string> journal;
    RecordingTimer timer(1, &journal);
    timer.start();
    const MSG tick = takeDueTick();
    timer.stop();
    DispatchMessageA(&tick);
    EXPECT_TRUE(journal.empty());

    timer.start();
    EXPECT_TRUE(test::pumpUntil([&] { return !journal.empty(); }, 5000));
    timer.stop();
}

TEST(Timer, ADestroyedTimerIgnoresATickTakenBeforeItWent)
{
    std::vector<std::string> journal;
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
    std::vector<std::string> journal;
    RecordingTimer timer(3000, &journal);
    timer.start();
    timer.setInterval(10);
    test::pumpMessages(300);
    EXPECT_TRUE(journal.empty());
    timer.stop();
    timer.start();
    EXPECT_TRUE(test::pumpUntil([&] { return !journal.empty(); }, 1000));
}

TEST(Timer, DestructionDeletesOnlyTheOwnedListeners)
{
    std::vector<std::string> journal;
    bool ownedDeleted = false;
    bool sharedDeleted = false;
    RecordingListener shared("shared", &journal, &sharedDeleted);
    {
        par::Timer timer(10);
        timer.addListener(new RecordingListener("owned", &journal, &ownedDeleted), true);
        timer.addListener(&shared, false);
        timer.start();
    }
    EXPECT_TRUE(ownedDeleted);
    EXPECT_FALSE(sharedDeleted);
}

TEST(Timer, AListenerThatDestroysTheTimerEndsTheTick)
{
    class Destroyer : public par::Timer::Listener {
    public:
        void onTimer(par::Timer* timer) override
        {
            delete timer;
            myDone = true;
        }
        bool myDone = false;
    };
    std::vector<std::string> journal;
    Destroyer destroyer;
    RecordingListener later("later", &journal);
    auto* timer = new par::Timer(10);
    timer->addListener(&destroyer, false);
    timer->addListener(&later, false);
    timer->start();
    ASSERT_TRUE(test::pumpUntil([&] { return destroyer.myDone; }, 5000));
    test::pumpMessages(100);
    EXPECT_TRUE(journal.empty());
}
