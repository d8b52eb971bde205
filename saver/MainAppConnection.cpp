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
    std::unique_lock<std::timed_mutex> lock(myResumeMutex, std::chrono::milliseconds(timeoutMs));
    if (!lock.owns_lock() || !myClient->isConnected())
        return;
    par::logInfo("Resume main-app");
    std::string answer;
    if (myClient->sendRequest("resume", timeoutMs, answer))
        par::logInfo("main-app resumed.");
    // A second close of the saver must not resume the desktop program twice.
    myClient->connect(false, timeoutMs);
}
