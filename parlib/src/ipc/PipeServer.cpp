#include "ipc/PipeServer.h"

#include "app/Application.h"
#include "util/Log.h"

#include <cstring>

namespace par {

// What the pipe thread and the UI thread share for one request. It outlives
// both sides: a server stopped while its request waits in the UI thread's
// queue abandons it, and the late call then touches nothing of the server.
struct PipeServer::Exchange {
    Exchange(const std::string& text, Handler* requestHandler)
        : request(text), handler(requestHandler), done(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }

    const std::string request;
    Handler* const handler;
    std::string response;
    std::atomic<bool> abandoned{false};
    ScopedHandle done;
};

class PipeServer::AsyncRequestImpl final : public PipeServer::AsyncRequest {
public:
    explicit AsyncRequestImpl(std::shared_ptr<Exchange> exchange) : myExchange(std::move(exchange)) {}

    void complete(const std::string& response) override
    {
        if (!myExchange->abandoned)
            myExchange->response = response;
        SetEvent(myExchange->done.get());
        delete this;
    }

    std::string getRequest() override { return myExchange->request; }

    const std::shared_ptr<Exchange>& exchange() const { return myExchange; }

private:
    ~AsyncRequestImpl() = default;

    std::shared_ptr<Exchange> myExchange;
};

bool PipeServer::Handler::handleSyncRequest(const std::string&, std::string&)
{
    return false;
}

void PipeServer::Handler::handleRequest(AsyncRequest* request)
{
    std::string response;
    handleSyncRequest(request->getRequest(), response);
    request->complete(response);
}

PipeServer::RequestCall::RequestCall(AsyncRequestImpl* request) : myRequest(request)
{
}

PipeServer::RequestCall::~RequestCall()
{
    // Never run (the post failed or the queue was dropped): answer empty.
    if (myRequest)
        myRequest->complete("");
}

void PipeServer::RequestCall::run()
{
    AsyncRequestImpl* request = myRequest;
    myRequest = nullptr;
    Exchange& exchange = *request->exchange();
    if (exchange.abandoned || !exchange.handler) {
        request->complete("");
        return;
    }
    exchange.handler->handleRequest(request);
}

PipeServer::PipeServer(const std::string& name)
    : myName(name), myIoEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    std::memset(&myOverlapped, 0, sizeof myOverlapped);
    myOverlapped.hEvent = myIoEvent.get();
    myPipe.reset(CreateNamedPipeA(myName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                  PIPE_UNLIMITED_INSTANCES, BUFFER_SIZE, BUFFER_SIZE, 0,
                                  mySecurity.get()));
}

PipeServer::~PipeServer()
{
    requestStopAndWait();
    // Covers a thread that had to be terminated while its request was out.
    if (myExchange)
        myExchange->abandoned = true;
}

unsigned PipeServer::run()
{
    if (!myPipe) {
        logSevere("server: CreatePipe failed");
        return 0;
    }
    for (;;) {
        ResetEvent(myIoEvent.get());
        bool connected = ConnectNamedPipe(myPipe.get(), &myOverlapped) != FALSE;
        if (!connected) {
            const DWORD error = GetLastError();
            if (error == ERROR_PIPE_CONNECTED) {
                connected = true;
            } else if (error == ERROR_IO_PENDING) {
                DWORD ignored = 0;
                connected = finishIo(ignored);
                if (isStopRequested()) {
                    DisconnectNamedPipe(myPipe.get());
                    return 1;
                }
            }
        }
        if (connected)
            serveClient();
        FlushFileBuffers(myPipe.get());
        DisconnectNamedPipe(myPipe.get());
        if (isStopRequested())
            return 1;
    }
}

void PipeServer::serveClient()
{
    char buffer[BUFFER_SIZE];
    for (;;) {
        ResetEvent(myIoEvent.get());
        DWORD read = 0;
        if (!ReadFile(myPipe.get(), buffer, BUFFER_SIZE, &read, &myOverlapped)) {
            // A broken pipe is a client that went; a request longer than the
            // buffer (ERROR_MORE_DATA) or any other failure drops it too.
            if (GetLastError() != ERROR_IO_PENDING || !finishIo(read))
                return;
        } else if (!GetOverlappedResult(myPipe.get(), &myOverlapped, &read, FALSE)) {
            return;
        }
        if (read == 0)
            return;

        const std::string request(buffer, strnlen(buffer, read));
        std::string response;
        if (!passToUiThread(request, response))
            return;

        const DWORD length = static_cast<DWORD>(response.size()) + 1;
        ResetEvent(myIoEvent.get());
        DWORD written = 0;
        if (!WriteFile(myPipe.get(), response.c_str(), length, &written, &myOverlapped)) {
            if (GetLastError() != ERROR_IO_PENDING || !finishIo(written))
                return;
        } else if (!GetOverlappedResult(myPipe.get(), &myOverlapped, &written, FALSE)) {
            return;
        }
        if (written != length)
            return;
    }
}

bool PipeServer::finishIo(DWORD& transferred)
{
    HANDLE events[] = {myIoEvent.get(), getStopEvent()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(myPipe.get());
        // Let the cancellation land before the record is used again.
        GetOverlappedResult(myPipe.get(), &myOverlapped, &transferred, TRUE);
        return false;
    }
    return GetOverlappedResult(myPipe.get(), &myOverlapped, &transferred, FALSE) != FALSE;
}

bool PipeServer::passToUiThread(const std::string& request, std::string& response)
{
    myExchange = std::make_shared<Exchange>(request, myHandler);
    // A failed post deletes the call, whose destructor answers empty.
    Application::asyncExec(new RequestCall(new AsyncRequestImpl(myExchange)));

    HANDLE events[] = {getStopEvent(), myExchange->done.get()};
    const DWORD result = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (result != WAIT_OBJECT_0 + 1) {
        myExchange->abandoned = true;
        myExchange.reset();
        return false;
    }
    response = myExchange->response;
    myExchange.reset();
    return true;
}

} // namespace par
