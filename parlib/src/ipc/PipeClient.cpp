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
    auto remaining = [&] {
        const DWORD elapsed = GetTickCount() - start;
        return elapsed < timeoutMs ? timeoutMs - elapsed : 0;
    };
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
    }

    // A signal left by a call whose caller no longer waited wakes this wait
    // too early; the stored call tells.
    DWORD waited = SignalObjectAndWait(myCallRequested.get(), myCallDone.get(), remaining(), FALSE);
    for (;;) {
        std::unique_lock<std::mutex> lock(myCallMutex);
        if (mySyncCall != call)
            break;
        if (waited != WAIT_OBJECT_0 || remaining() == 0) {
            // Still running: the client thread deletes it when it is done.
            myCallAbandoned = true;
            return false;
        }
        lock.unlock();
        waited = WaitForSingleObject(myCallDone.get(), remaining());
    }
    if (deleteAfter)
        delete call;
    return true;
}

void PipeClient::requestStop()
{
    myStopping = true;
    Thread::requestStop();
    SetEvent(myCallRequested.get());
}

unsigned PipeClient::run()
{
    DWORD waited = WaitForSingleObject(myCallRequested.get(), INFINITE);
    for (;;) {
        Runnable* call = nullptr;
        {
            std::lock_guard<std::mutex> lock(myCallMutex);
            call = mySyncCall;
        }
        if (waited != WAIT_OBJECT_0 || ((myStopping || !call) && isStopRequested())) {
            myStopping = false;
            getLog("app")->info("PipeClient: finish because of stopEvent signaled.");
            return 1;
        }
        if (call)
            call->run();
        else
            logSevere("mySyncCall is NULL for Sync call");

        {
            std::lock_guard<std::mutex> lock(myCallMutex);
            if (myCallAbandoned)
                delete call;
            mySyncCall = nullptr;
            myCallAbandoned = false;
        }
        waited = SignalObjectAndWait(myCallDone.get(), myCallRequested.get(), INFINITE, FALSE);
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
    // One operation writes the request and reads the answer, or its first
    // part.
    char buffer[READ_BUFFER_SIZE];
    DWORD read = 0;
    const BOOL started = TransactNamedPipe(myPipe.load(), const_cast<char*>(request.c_str()),
                                           static_cast<DWORD>(request.size()) + 1, buffer,
                                           READ_BUFFER_SIZE - 1, &read, &myOverlapped);
    const DWORD error = finishIo(started, read);
    if (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
        buffer[read] = '\0';
        response = buffer;
        if (error == ERROR_SUCCESS || readRest(response))
            return true;
    }
    close();
    return false;
}

bool PipeClient::writeRequest(const std::string& request)
{
    const DWORD length = static_cast<DWORD>(request.size()) + 1;
    DWORD written = 0;
    const BOOL started = WriteFile(myPipe.load(), request.c_str(), length, &written, &myOverlapped);
    return finishIo(started, written) == ERROR_SUCCESS && written == length;
}

bool PipeClient::readResponse(std::string& response)
{
    response.clear();
    return readRest(response);
}

bool PipeClient::readRest(std::string& response)
{
    char buffer[READ_BUFFER_SIZE];
    for (;;) {
        DWORD read = 0;
        const BOOL started = ReadFile(myPipe.load(), buffer, READ_BUFFER_SIZE - 1, &read, &myOverlapped);
        const DWORD error = finishIo(started, read);
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA)
            return false;
        buffer[read] = '\0';
        response += buffer;
        if (error == ERROR_SUCCESS)
            return true;
    }
}

DWORD PipeClient::finishIo(BOOL started, DWORD& transferred)
{
    HANDLE pipe = myPipe.load();
    if (!started) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA)
            return error;
        if (error == ERROR_IO_PENDING) {
            HANDLE events[] = {myIoEvent.get(), getStopEvent()};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIo(pipe);
                // Let the cancellation land before the record is used again.
                GetOverlappedResult(pipe, &myOverlapped, &transferred, TRUE);
                return ERROR_OPERATION_ABORTED;
            }
        }
    }
    if (GetOverlappedResult(pipe, &myOverlapped, &transferred, FALSE))
        return ERROR_SUCCESS;
    return GetLastError();
}

} // namespace par
