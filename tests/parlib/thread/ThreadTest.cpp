#include "thread/Thread.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class LambdaThread : public par::Thread {
public:
    explicit LambdaThread(std::function<unsigned(LambdaThread&)> body) : myBody(std::move(body)) {}
    ~LambdaThread() override { requestStopAndWait(); }

protected:
    unsigned run() override { return myBody(*this); }

private:
    std::function<unsigned(LambdaThread&)> myBody;
};

DWORD exitCodeOf(HANDLE thread)
{
    WaitForSingleObject(thread, 5000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeThread(thread, &code);
    return code;
}

// Milliseconds that a call takes.
DWORD timeOf(const std::function<void()>& call)
{
    const DWORD start = GetTickCount();
    call();
    return GetTickCount() - start;
}

} // namespace

TEST(Thread, NeverStartedThreadCountsAsStopped)
{
    DWORD elapsed = timeOf([] {
        par::Thread thread;
        thread.requestStop();
        EXPECT_FALSE(thread.isStopRequested());
        thread.requestStopAndWait();
    });
    EXPECT_LT(elapsed, 500u);
}

TEST(Thread, DefaultNameIsNoName)
{
    par::Thread thread;
    EXPECT_EQ("NoName", thread.getName());
}

TEST(Thread, CooperativeRunEndsOnStopRequestWithItsOwnResult)
{
    LambdaThread thread([](LambdaThread& self) -> unsigned {
        WaitForSingleObject(self.getStopEvent(), INFINITE);
        return self.isStopRequested() ? 7 : 8;
    });
    HANDLE handle = thread.start();
    ASSERT_NE(nullptr, handle);
    Sleep(50);
    EXPECT_FALSE(thread.isFinished());

    DWORD elapsed = timeOf([&] { thread.requestStopAndWait(); });
    EXPECT_LT(elapsed, 1000u);
    EXPECT_TRUE(thread.isFinished());
    EXPECT_EQ(7u, exitCodeOf(handle));
}

TEST(Thread, RunThatReturnedByItselfNeedsNoWait)
{
    LambdaThread thread([](LambdaThread&) -> unsigned { return 3; });
    HANDLE handle = thread.start();
    ASSERT_EQ(3u, exitCodeOf(handle));
    EXPECT_TRUE(thread.isFinished());

    DWORD elapsed = timeOf([&] { thread.requestStopAndWait(); });
    EXPECT_LT(elapsed, 100u);
    EXPECT_FALSE(thread.isStopRequested());
}

TEST(Thread, RunIgnoringTheStopRequestIsTerminatedWithExitCodeOneAfterTheLimit)
{
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LambdaThread thread([release](LambdaThread&) -> unsigned {
        WaitForSingleObject(release, INFINITE);
        return 0;
    });
    HANDLE handle = thread.start();
    ASSERT_NE(nullptr, handle);

    DWORD elapsed = timeOf([&] { thread.requestStopAndWait(); });
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 4000u);
    EXPECT_EQ(1u, exitCodeOf(handle));
    EXPECT_FALSE(thread.isFinished());

    // A terminated thread does not make a second stop wait again.
    elapsed = timeOf([&] { thread.requestStopAndWait(); });
    EXPECT_LT(elapsed, 100u);
    CloseHandle(release);
}

TEST(Thread, TerminableThreadIsEndedAtOnceWithExitCodeZero)
{
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE blocking = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LambdaThread thread([release, blocking](LambdaThread& self) -> unsigned {
        SetEvent(self.getTerminableEvent());
        SetEvent(blocking);
        WaitForSingleObject(release, INFINITE);
        ResetEvent(self.getTerminableEvent());
        return 5;
    });
    HANDLE handle = thread.start();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(blocking, 5000));

    DWORD elapsed = timeOf([&] { thread.requestStopAndWait(); });
    EXPECT_LT(elapsed, 1000u);
    EXPECT_EQ(0u, exitCodeOf(handle));
    EXPECT_FALSE(thread.isFinished());
    CloseHandle(release);
    CloseHandle(blocking);
}

TEST(Thread, SecondStartWhileRunningIsRefused)
{
    LambdaThread thread([](LambdaThread& self) -> unsigned {
        WaitForSingleObject(self.getStopEvent(), INFINITE);
        return 0;
    });
    ASSERT_NE(nullptr, thread.start());
    EXPECT_EQ(nullptr, thread.start());
}

TEST(Thread, FinishedThreadCanBeStartedAgain)
{
    int runs = 0;
    LambdaThread thread([&runs](LambdaThread&) -> unsigned { return ++runs; });
    EXPECT_EQ(1u, exitCodeOf(thread.start()));
    EXPECT_EQ(2u, exitCodeOf(thread.start()));
    EXPECT_EQ(2, runs);
}

TEST(Thread, StopRequestIsClearedByTheNextStart)
{
    LambdaThread thread([](LambdaThread& self) -> unsigned {
        return self.isStopRequested() ? 1 : 0;
    });
    exitCodeOf(thread.start());
    thread.requestStop();
    EXPECT_FALSE(thread.isStopRequested()) << "a finished thread takes no stop request";
    EXPECT_EQ(0u, exitCodeOf(thread.start()));
}

TEST(Thread, RunAfterATerminatedOneGoesThroughTheHandshakeAgain)
{
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE blocking = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int runs = 0;
    LambdaThread thread([&](LambdaThread& self) -> unsigned {
        if (++runs == 1) {
            SetEvent(self.getTerminableEvent());
            SetEvent(blocking);
            WaitForSingleObject(release, INFINITE);
            return 5;
        }
        // The second run needs a moment to wind down after the request.
        WaitForSingleObject(self.getStopEvent(), INFINITE);
        Sleep(100);
        return 9;
    });
    thread.start();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(blocking, 5000));
    thread.requestStopAndWait();

    HANDLE handle = thread.start();
    ASSERT_NE(nullptr, handle);
    Sleep(50);
    thread.requestStopAndWait();
    EXPECT_EQ(9u, exitCodeOf(handle)) << "the second run was not ended where it stood";
    EXPECT_TRUE(thread.isFinished());
    CloseHandle(release);
    CloseHandle(blocking);
}
