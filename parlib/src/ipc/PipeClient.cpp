#include "ipc/PipeClient.h"

#include "util/Log.h"

#include <cstring>

namespace par {

namespace {

const DWORD READ_BUFFER_SIZE = 4096;

} // namespace

void PipeClient::ConnectCall::run()
{
    if (myOpen)
        myClient->open();
    else
        myClient->close();
}

void PipeClient::SendRequestCall::run()
{
    if (!myClient->open())
        return;
    mySucceeded = myClient->transact(myRequest, myResponse);
}

PipeClient::PipeClient(const std::string& name)
    : myName(name),
      myCallRequested(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myCallDone(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

PipeClient::~PipeClient()
{
    requestStopAndWait();
    // A late call that the stopped thread never finished is ours to delete.
    if (mySyncCall && myCallAbandoned)
        delete mySyncCall;
    close();
}

bool PipeClient::connect(bool open, DWORD timeoutMs)
{
    syncCall(new ConnectCall(this, open), timeoutMs, true);
    return isConnected();
}

bool PipeClient::sendRequest(const std::string& request, DWORD timeoutMs, std::string& response)
{
    SendRequestCall* call = new SendRequestCall(this, request);
    if (!syncCall(call, timeoutMs, false))
        return false;
    const bool succeeded = call->succeeded();
    if (succeeded)
        response = call->response();
    delete call;
    return succeeded;
}

bool PipeClient::syncCall(Runnable* call, DWORD timeoutMs, bool deleteAfter)
{
    const DWORD start = GetTickCount();
    bool busy = false;
    {
        std::lock_guard<std::mutex> lock(myCallMutex);
        busy = mySyncCall != nullptr;
    }
    if (busy) {
        // An earlier call ran past its limit and still occupies the thread.
        logSevere("syncCall(), mySyncCall is not NULL, leaving a dangling pointer.");
        WaitForSingleObject(myCallDone.get(), timeoutMs);
    }

    {
        std::lock_guard<std::mutex> lock(myCallMutex);
        if (mySyncCall) {
            delete call;
            return false;
        }
        mySyncCall = call;
        myCallAbandoned = false;
        ResetEvent(myCallDone.get());
        SetEvent(myCallRequested.get());
    }

    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(myCallDone.get(), elapsed < timeoutMs ? timeoutMs - elapsed : 0);

    std::lock_guard<std::mutex> lock(myCallMutex);
    if (mySyncCall == call) {
        // Still running: the client thread deletes it when it is done.
        myCallAbandoned = true;
        return false;
    }
    if (deleteAfter)
        delete call;
    return true;
}

unsigned PipeClient::run()
{
    HANDLE events[] = {getStopEvent(), myCallRequested.get()};
    for (;;) {
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            getLog("app")->info("PipeClient: finish because of stopEvent signaled.");
            return 1;
        }
        Runnable* call = nullptr;
        {
            std::lock_guard<std::mutex> lock(myCallMutex);
            call = mySyncCall;
        }
        if (call)
            call->run();
        else
            logSevere("mySyncCall is NULL for Sync call");

        std::lock_guard<std::mutex> lock(myCallMutex);
        ResetEvent(myCallRequested.get());
        if (myCallAbandoned)
            delete call;
        mySyncCall = nullptr;
        myCallAbandoned = false;
        SetEvent(myCallDone.get());
    }
}

bool PipeClient::open()
{
    if (isConnected())
        return true;
    HANDLE pipe = CreateFileA(myName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    // Message read mode: an answer longer than one read comes in pieces
    // (ERROR_MORE_DATA) instead of running over into the next answer.
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    myPipe = pipe;
    return true;
}

void PipeClient::close()
{
    HANDLE pipe = myPipe.exchange(nullptr);
    if (pipe)
        CloseHandle(pipe);
}

bool PipeClient::transact(const std::string& request, std::string& response)
{
    if (writeRequest(request) && readResponse(response))
        return true;
    close();
    return false;
}

bool PipeClient::writeRequest(const std::string& request)
{
    DWORD written = 0;
    return WriteFile(myPipe.load(), request.c_str(), static_cast<DWORD>(request.size()) + 1, &written,
                     nullptr) != FALSE;
}

bool PipeClient::readResponse(std::string& response)
{
    response.clear();
    char buffer[READ_BUFFER_SIZE];
    for (;;) {
        DWORD read = 0;
        const BOOL succeeded = ReadFile(myPipe.load(), buffer, READ_BUFFER_SIZE - 1, &read, nullptr);
        if (!succeeded && GetLastError() != ERROR_MORE_DATA)
            return false;
        buffer[read] = '\0';
        response += buffer;
        if (succeeded)
            return true;
    }
}

} // namespace par
