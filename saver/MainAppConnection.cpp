#include "saver/MainAppConnection.h"

#include "saver/SaverController.h"

#include "ipc/PipeClient.h"
#include "util/Log.h"

#include <chrono>
#include <string>

const char* const MainAppConnection::PIPE_NAME = "\\\\.\\pipe\\par\\quor" "\\app";

MainAppConnection::MainAppConnection(SaverController* controller)
    : myController(controller), myClient(new par::PipeClient(PIPE_NAME))
{
    myClient->setName("MainAppConnection");
}

MainAppConnection::~MainAppConnection()
{
    myClient.reset();
}

void MainAppConnection::suspend()
{
    myClient->start();
    if (myClient->connect(true, CONNECT_TIMEOUT_MS)) {
        par::logInfo("main-app detected");
        par::logInfo("\"suspend\" request sent");
        std::string answer;
        if (myClient->sendRequest("suspend", SUSPEND_TIMEOUT_MS, answer))
            par::logInfo("Main app suspended");
        else
            par::logSevere("Main app failed to suspend");
    }
    if (myController->hasInputArrived())
        myController->close();
}

void MainAppConnection::resume(DWORD timeoutMs)
{
    // One limit for the whole resume: each step has only what the steps
    // before it left.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto remaining = [&]() -> DWORD {
        if (timeoutMs == INFINITE)
            return INFINITE;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        return left > 0 ? static_cast<DWORD>(left) : 0;
    };
    std::unique_lock<std::timed_mutex> lock(myResumeMutex, deadline);
    if (!lock.owns_lock() || !myClient->isConnected())
        return;
    par::logInfo("Resume main-app");
    std::string answer;
    if (myClient->sendRequest("resume", remaining(), answer))
        par::logInfo("main-app resumed.");
    // A second close of the saver must not resume the desktop program twice.
    myClient->connect(false, remaining());
}
