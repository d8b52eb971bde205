#include "ipc/PipeServer.h"

#include "app/Application.h"
#include "util/ExceptionUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace par {

namespace {

std::atomic<PipeServer::TickCountQuery> theTickCountQuery{GetTickCount};

DWORD tickCount()
{
    return theTickCountQuery.load()();
}

} // namespace

// What the pipe thread and the UI thread share for one request. It outlives
// both sides: a server stopped, or a client gone, while its request waits
// for the UI thread abandons it, and the late call then touches nothing of
// the server.
struct PipeServer::Exchange {
    using HandlerLink = std::shared_ptr<std::atomic<Handler*>>;

    Exchange(const std::string& text, HandlerLink requestHandler, HANDLE doneEvent)
        : request(text), handler(std::move(requestHandler)), done(doneEvent)
    {
    }

    // The first completion wins; after abandon() nobody signals the server.
    void complete(const std::string& answer)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (completed)
            return;
        completed = true;
        if (abandoned)
            return;
        response = answer;
        SetEvent(done);
    }

    // True when the request was completed before: its answer stays in
    // response then. Only the first call tells.
    bool abandon()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (abandoned)
            return false;
        abandoned = true;
        // A completion that the wait did not see must not answer the next
        // request.
        ResetEvent(done);
        return completed;
    }

    bool isCompleted()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return completed;
    }

    const std::string request;
    // Null once the server stops.
    const HandlerLink handler;
    std::string response;

private:
    std::mutex mutex;
    bool completed = false;
    bool abandoned = false;
    // The server's event, valid while the exchange is not abandoned.
    const HANDLE done;
};

class PipeServer::AsyncRequestImpl final : public PipeServer::AsyncRequest {
public:
    explicit AsyncRequestImpl(std::shared_ptr<Exchange> exchange) : myExchange(std::move(exchange)) {}

    void complete(const std::string& response) override
    {
        myExchange->complete(response);
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
    // The request is gone once completed; the exchange stays for the check.
    const std::shared_ptr<Exchange> exchange = request->exchange();
    // Delivered even when the pipe thread gave up waiting for it: its sender
    // may have sent it and gone, as the saver does with "resume".
    Handler* const handler = exchange->handler->load();
    if (!handler) {
        request->complete("");
        return;
    }
    // Nothing may leave the UI thread's loop from here, and the pipe thread
    // may wait for the answer.
    try {
        handler->handleRequest(request);
    } catch (...) {
        logSevere("server: request handler failed: " + describeCurrentException());
        if (!exchange->isCompleted())
            request->complete("");
    }
}

void PipeServer::setTickCountQuery(TickCountQuery query)
{
    theTickCountQuery = query;
}

PipeServer::PipeServer(const std::string& name)
    : myName(name),
      myHandler(std::make_shared<std::atomic<Handler*>>(nullptr)),
      myIoEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      myRequestDone(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    std::memset(&myOverlapped, 0, sizeof myOverlapped);
    myOverlapped.hEvent = myIoEvent.get();
    createPipe();
}

void PipeServer::createPipe()
{
    // The first instance or nothing: pipe names are machine-wide, and a
    // process that made the pipe first would receive our clients.
    myPipe.reset(CreateNamedPipeA(myName.c_str(),
                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                  PIPE_UNLIMITED_INSTANCES, BUFFER_SIZE, BUFFER_SIZE, 0,
                                  mySecurity.get()));
    if (!myPipe) {
        myCreateError = GetLastError();
        return;
    }
    // Where the system ignores the flag, an instance count above one tells
    // the same.
    DWORD instances = 0;
    if (GetNamedPipeHandleStateA(myPipe.get(), nullptr, &instances, nullptr, nullptr, nullptr, 0)
        && instances > 1) {
        myPipe.reset();
        myCreateError = ERROR_ACCESS_DENIED;
    }
}

// Refused because another holder has the name, rather than for a fault of
// our own.
bool PipeServer::isNameHeld() const
{
    return myCreateError == ERROR_ACCESS_DENIED || myCreateError == ERROR_PIPE_BUSY;
}

void PipeServer::requestStop()
{
    // Before the stop is seen: no queued call may reach the handler after it.
    *myHandler = nullptr;
    Thread::requestStop();
}

PipeServer::~PipeServer()
{
    requestStopAndWait();
    // Also when the thread never ran.
    *myHandler = nullptr;
    // Covers a thread that had to be terminated while its request was out.
    if (myExchange)
        myExchange->abandon();
}

unsigned PipeServer::run()
{
    if (!myPipe) {
        // Logged once, however long the name stays held.
        logSevere("server: CreatePipe failed");
        if (!isNameHeld())
            return 0;
        logSevere("server: " + myName + " exists already: another process serves it");
        if (!waitForTheName())
            return isStopRequested() ? 1 : 0;
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
            }
        }
        if (connected && !isStopRequested())
            serveClient();
        // No flush: a connection ends only when its client went or broke the
        // alternation of requests and answers (an empty, over-long or failed
        // read), so no answer is owed, and a client that never reads would
        // hold a flush, and the server, for good.
        DisconnectNamedPipe(myPipe.get());
        if (isStopRequested())
            return 1;
    }
}

// A name stays taken while any handle to one of its instances is open, a
// client's too: a saver still connected to the program's previous run holds
// it until it ends.
bool PipeServer::waitForTheName()
{
    do {
        if (WaitForSingleObject(getStopEvent(), RETRY_MS) != WAIT_TIMEOUT)
            return false;
        createPipe();
    } while (!myPipe && isNameHeld());
    if (!myPipe)
        logSevere("server: CreatePipe failed");
    return static_cast<bool>(myPipe);
}

void PipeServer::serveClient()
{
    // ReadFile and WriteFile reset the event of the record themselves.
    char buffer[BUFFER_SIZE];
    for (;;) {
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
    myExchange = std::make_shared<Exchange>(request, myHandler, myRequestDone.get());
    // A failed post deletes the call, whose destructor answers empty.
    Application::handOff(new RequestCall(new AsyncRequestImpl(myExchange)));

    HANDLE events[] = {getStopEvent(), myRequestDone.get()};
    const DWORD start = tickCount();
    for (;;) {
        const DWORD result = WaitForMultipleObjects(2, events, FALSE, CLIENT_CHECK_MS);
        if (result == WAIT_OBJECT_0 + 1) {
            response = myExchange->response;
            myExchange.reset();
            return true;
        }
        // A client that went gives the only instance back to the next one,
        // however long the UI thread keeps its request.
        const bool waiting = result == WAIT_TIMEOUT && isClientConnected();
        if (waiting && tickCount() - start < ANSWER_TIMEOUT_MS)
            continue;
        // The answer may have come after the wait's time-out: it still counts.
        const bool answered = myExchange->abandon();
        if (waiting && answered) {
            response = myExchange->response;
        } else if (waiting) {
            // The client's own text: escaped, so that it cannot forge lines.
            logSevere("server: no answer in time, answered empty, request=" +
                      escapeControlCharacters(request));
        }
        myExchange.reset();
        return waiting;
    }
}

// Asking a served instance to listen tells its state without touching its
// messages: it stays "closing" once the client closed, even while requests
// that the client sent before are still queued, which a peek would report
// as a client still there.
bool PipeServer::isClientConnected()
{
    if (ConnectNamedPipe(myPipe.get(), &myOverlapped))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        // Not served after all: take the listen back.
        DWORD ignored = 0;
        CancelIo(myPipe.get());
        GetOverlappedResult(myPipe.get(), &myOverlapped, &ignored, TRUE);
        return false;
    }
    return error == ERROR_PIPE_CONNECTED;
}

} // namespace par
