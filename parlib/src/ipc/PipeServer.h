#pragma once

#include "ipc/PipeSecurity.h"
#include "thread/Runnable.h"
#include "thread/Thread.h"
#include "util/Scoped.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace par {

// Serves one named pipe on its own thread: waits for a client, reads its
// requests one after another, hands each to the handler on the UI thread and
// writes the handler's answer back. A request and an answer are each one
// message: a narrow text followed by one zero byte.
class PipeServer : public Thread {
public:
    static constexpr DWORD BUFFER_SIZE = 4096;

    // One request on its way through the UI thread. Complete it exactly once;
    // it is gone afterwards.
    class AsyncRequest {
    public:
        virtual void complete(const std::string& response) = 0;
        virtual std::string getRequest() = 0;

    protected:
        ~AsyncRequest() = default;
    };

    // Answers requests on the UI thread. The default answers at once with
    // what handleSyncRequest gives; a handler that answers later overrides
    // handleRequest, keeps the request and completes it when it can.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual bool handleSyncRequest(const std::string& request, std::string& response);
        virtual void handleRequest(AsyncRequest* request);
    };

    class RequestCall;

    explicit PipeServer(const std::string& name);
    ~PipeServer() override;

    void setHandler(Handler* handler) { myHandler = handler; }

protected:
    unsigned run() override;

private:
    struct Exchange;
    class AsyncRequestImpl;

    void serveClient();
    // Waits for the pending overlapped operation or the stop request; false
    // when it failed or was cancelled by the stop.
    bool finishIo(DWORD& transferred);
    // Hands the request to the UI thread and waits for its answer; false
    // when the server was stopped meanwhile.
    bool passToUiThread(const std::string& request, std::string& response);

    std::string myName;
    Handler* myHandler = nullptr;
    PipeSecurity mySecurity;
    ScopedHandle myPipe;
    ScopedHandle myIoEvent;
    OVERLAPPED myOverlapped;
    std::shared_ptr<Exchange> myExchange;
};

// Carries one request to the UI thread; owned by whoever runs it.
class PipeServer::RequestCall : public Runnable {
public:
    explicit RequestCall(AsyncRequestImpl* request);
    ~RequestCall() override;
    void run() override;

private:
    AsyncRequestImpl* myRequest;
};

} // namespace par
