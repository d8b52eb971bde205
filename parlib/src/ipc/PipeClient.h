#pragma once

#include "thread/Runnable.h"
#include "thread/Thread.h"
#include "util/Scoped.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

namespace par {

// The client end of the pipe protocol. Its own thread does every open,
// write, read and close; the calling thread hands it one call at a time and
// waits for it with a time limit, so that a missing or hanging server never
// blocks the caller longer than it chose.
class PipeClient : public Thread {
public:
    class ConnectCall;
    class SendRequestCall;

    explicit PipeClient(const std::string& name);
    ~PipeClient() override;
    // Also wakes the thread where it waits for a call.
    void requestStop() override;

    // Opens (or closes) the connection; true when a connection is held.
    bool connect(bool open, DWORD timeoutMs);
    // Sends one request and takes its answer; false when that fails or does
    // not finish in time.
    bool sendRequest(const std::string& request, DWORD timeoutMs, std::string& response);
    // Runs the call on the client thread and waits for it; true when it
    // finished in time, and then the call is deleted when deleteAfter is set.
    // On false the call is no longer the caller's: one that still runs is
    // deleted by the client thread when it is done, never under it.
    bool syncCall(Runnable* call, DWORD timeoutMs, bool deleteAfter);
    bool isConnected() const { return myPipe.load() != nullptr; }

    // Operations of the client thread.
    bool open();
    void close();
    bool transact(const std::string& request, std::string& response);
    bool writeRequest(const std::string& request);
    bool readResponse(std::string& response);

protected:
    unsigned run() override;

private:
    // The outcome of an overlapped operation that the call started: its
    // error code (ERROR_OPERATION_ABORTED when the stop request cancelled
    // it) and the bytes transferred. Waits for it, or the stop request.
    DWORD finishIo(BOOL started, DWORD& transferred);
    // Appends the rest of an answer that one read did not hold.
    bool readRest(std::string& response);

    std::string myName;
    std::atomic<HANDLE> myPipe{nullptr};
    // Both auto-reset: each signal is taken by exactly one wait.
    ScopedHandle myCallRequested;
    ScopedHandle myCallDone;
    ScopedHandle myIoEvent;
    OVERLAPPED myOverlapped;
    std::mutex myCallMutex;
    Runnable* mySyncCall = nullptr;
    bool myCallAbandoned = false;
    // Tells the thread, woken through call-requested, to look at the stop request.
    std::atomic<bool> myStopping{false};
};

class PipeClient::ConnectCall : public Runnable {
public:
    ConnectCall(PipeClient* client, bool open) : myClient(client), myOpen(open) {}
    void run() override;

private:
    PipeClient* myClient;
    bool myOpen;
};

// Keeps its request, answer and outcome itself, so that a call that finishes
// after its caller gave up writes into nothing of the caller's.
class PipeClient::SendRequestCall : public Runnable {
public:
    SendRequestCall(PipeClient* client, const std::string& request)
        : myClient(client), myRequest(request)
    {
    }
    void run() override;

    bool succeeded() const { return mySucceeded; }
    const std::string& response() const { return myResponse; }

private:
    PipeClient* myClient;
    std::string myRequest;
    std::string myResponse;
    bool mySucceeded = false;
};

} // namespace par
