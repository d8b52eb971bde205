#pragma once

#include "thread/Runnable.h"

#include <windows.h>

#include <atomic>

namespace test {

// What became of a TestRunnable; it outlives the runnable.
struct RunnableRecord {
    std::atomic<int> runs{0};
    std::atomic<int> deletions{0};
    std::atomic<DWORD> runThread{0};
    // Whether the runnable was still alive when it was run last.
    std::atomic<bool> aliveWhenRun{false};
};

// A runnable that reports its runs and its deletion.
class TestRunnable : public par::Runnable {
public:
    explicit TestRunnable(RunnableRecord& record) : myRecord(record) {}
    ~TestRunnable() override { ++myRecord.deletions; }

    void run() override
    {
        myRecord.aliveWhenRun = myRecord.deletions == 0;
        myRecord.runThread = GetCurrentThreadId();
        ++myRecord.runs;
    }

private:
    RunnableRecord& myRecord;
};

} // namespace test
