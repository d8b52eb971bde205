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
    // How often the pipe thread looks whether the client of a request that
    // waits for the UI thread is still there.
    static constexpr DWORD CLIENT_CHECK_MS = 250;
    // How long the pipe thread waits for the UI thread's answer before it
    // answers "" and serves the next client: well above the movie's normal
    // answering time, so that no single request holds the only instance.
    static constexpr DWORD ANSWER_TIMEOUT_MS = 30000;
    // How often the pipe thread asks again for a name that another holder
    // has.
    static constexpr DWORD RETRY_MS = 1000;

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
    // handleRequest, keeps the request and completes it when it can. A
    // handler that throws has its request answered with "" unless it
    // completed it already; it must not complete it later.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual bool handleSyncRequest(const std::string& request, std::string& response);
        virtual void handleRequest(AsyncRequest* request);
    };

    class RequestCall;

    // The clock that the answer limit is measured by; a test puts its own in
    // place to reach the limit at a moment of its choosing. Set it while no
    // server runs.
    using TickCountQuery = DWORD(WINAPI*)();
    static void setTickCountQuery(TickCountQuery query);

    explicit PipeServer(const std::string& name);
    ~PipeServer() override;

    void setHandler(Handler* handler) { *myHandler = handler; }

    // From now on no request reaches the handler, which may go with the
    // server: calls still queued answer "" without it.
    void requestStop() override;

protected:
    unsigned run() override;

private:
    struct Exchange;
    class AsyncRequestImpl;

    // Makes the pipe's first instance, or notes why it could not.
    void createPipe();
    bool isNameHeld() const;
    // Asks again for a name held elsewhere until it is ours; false when the
    // server was stopped or the name cannot be had.
    bool waitForTheName();
    void serveClient();
    // Waits for the pending overlapped operation or the stop request; false
    // when it failed or was cancelled by the stop.
    bool finishIo(DWORD& transferred);
    // Hands the request to the UI thread and waits for its answer, "" when
    // none had come by the limit; false when the server was stopped or the
    // client went meanwhile.
    bool passToUiThread(const std::string& request, std::string& response);
    bool isClientConnected();

    std::string myName;
    // Shared with the requests on their way, which may outlive the server.
    std::shared_ptr<std::atomic<Handler*>> myHandler;
    PipeSecurity mySecurity;
    ScopedHandle myPipe;
    DWORD myCreateError = ERROR_SUCCESS;
    ScopedHandle myIoEvent;
    OVERLAPPED myOverlapped;
    // Signalled by the UI thread when the request in flight is answered.
    ScopedHandle myRequestDone;
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
