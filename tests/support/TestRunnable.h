#pragma once

#include "thread/Runnable.h"

#include <windows.h>

namespace test {

// What became of a TestRunnable; it outlives the runnable.
struct RunnableRecord {
    volatile LONG runs = 0;
    volatile LONG deletions = 0;
    volatile DWORD runThread = 0;
    // Whether the runnable was still alive when it was run last.
    volatile bool aliveWhenRun = false;
};

// A runnable that reports its runs and its deletion.
class TestRunnable : public par::Runnable {
public:
    explicit TestRunnable(RunnableRecord& record) : myRecord(record) {}
    ~TestRunnable() override { InterlockedIncrement(&myRecord.deletions); }

    void run() override
    {
        myRecord.aliveWhenRun = myRecord.deletions == 0;
        myRecord.runThread = GetCurrentThreadId();
        InterlockedIncrement(&myRecord.runs);
    }

private:
    RunnableRecord& myRecord;
};

} // namespace test
