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
      myCallRequested(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      myCallDone(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      myIoEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    std::memset(&myOverlapped, 0, sizeof myOverlapped);
    myOverlapped.hEvent = myIoEvent.get();
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
        if (myCallDoneStale) {
            ResetEvent(myCallDone.get());
            myCallDoneStale = false;
        }
        mySyncCall = call;
        myCallAbandoned = false;
    }

    const DWORD elapsed = GetTickCount() - start;
    const DWORD result = SignalObjectAndWait(myCallRequested.get(), myCallDone.get(),
                                             elapsed < timeoutMs ? timeoutMs - elapsed : 0, FALSE);

    std::lock_guard<std::mutex> lock(myCallMutex);
    if (mySyncCall == call) {
        // Still running: the client thread deletes it when it is done.
        myCallAbandoned = true;
        return false;
    }
    // Finished just after the wait gave up: its signal is still there.
    if (result != WAIT_OBJECT_0)
        myCallDoneStale = true;
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
        if (myCallAbandoned) {
            delete call;
            // Nobody waits for this signal unless a next call does.
            myCallDoneStale = true;
        }
        mySyncCall = nullptr;
        myCallAbandoned = false;
        SetEvent(myCallDone.get());
    }
}

bool PipeClient::open()
{
    if (isConnected())
        return true;
    // Overlapped, so that a read can also wait for the stop request; the
    // server may identify the caller but never act as it.
    HANDLE pipe = CreateFileA(myName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                              nullptr);
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
    const DWORD length = static_cast<DWORD>(request.size()) + 1;
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    if (!WriteFile(myPipe.load(), request.c_str(), length, &written, &myOverlapped))
        error = GetLastError() == ERROR_IO_PENDING ? finishIo(written) : GetLastError();
    else
        GetOverlappedResult(myPipe.load(), &myOverlapped, &written, FALSE);
    return error == ERROR_SUCCESS && written == length;
}

bool PipeClient::readResponse(std::string& response)
{
    response.clear();
    char buffer[READ_BUFFER_SIZE];
    for (;;) {
        DWORD read = 0;
        DWORD error = ERROR_SUCCESS;
        if (!ReadFile(myPipe.load(), buffer, READ_BUFFER_SIZE - 1, &read, &myOverlapped)) {
            error = GetLastError();
            if (error == ERROR_IO_PENDING)
                error = finishIo(read);
            else if (error == ERROR_MORE_DATA)
                GetOverlappedResult(myPipe.load(), &myOverlapped, &read, FALSE);
        } else {
            GetOverlappedResult(myPipe.load(), &myOverlapped, &read, FALSE);
        }
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA)
            return false;
        buffer[read] = '\0';
        response += buffer;
        if (error == ERROR_SUCCESS)
            return true;
    }
}

DWORD PipeClient::finishIo(DWORD& transferred)
{
    HANDLE pipe = myPipe.load();
    HANDLE events[] = {myIoEvent.get(), getStopEvent()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        // Let the cancellation land before the record is used again.
        GetOverlappedResult(pipe, &myOverlapped, &transferred, TRUE);
        return ERROR_OPERATION_ABORTED;
    }
    if (GetOverlappedResult(pipe, &myOverlapped, &transferred, FALSE))
        return ERROR_SUCCESS;
    return GetLastError();
}

} // namespace par
