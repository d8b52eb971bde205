// The other process of the pipe tests and the pipe benchmark.
//   pipe_peer server PIPE STOP_EVENT   serves PIPE until the named event is set;
//                                      requests starting "hold" are never answered
//   pipe_peer client PIPE REQUEST...   sends the requests and prints each answer
//                                      as "answer:<text>" or "failed"
//   pipe_peer unread PIPE REQUEST [NEXT]
//                                      sends the request and never reads its answer;
//                                      NEXT "empty" then sends an empty message,
//                                      "long" one longer than the server's buffer
//   pipe_peer raw PIPE STOP_EVENT      a plain synchronous echo server, made as
//                                      another user's program could make the pipe
#include "LoopApplication.h"

#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Answers "activate" with "true", keeps "hold" requests unanswered and
// answers anything else with "echo:" and the text.
class EchoHandler : public par::PipeServer::Handler {
public:
    void handleRequest(par::PipeServer::AsyncRequest* request) override
    {
        if (request->getRequest().rfind("hold", 0) == 0)
            held.push_back(request);
        else
            par::PipeServer::Handler::handleRequest(request);
    }

    bool handleSyncRequest(const std::string& request, std::string& response) override
    {
        response = request == "activate" ? "true" : "echo:" + request;
        return true;
    }

    std::vector<par::PipeServer::AsyncRequest*> held;
};

bool isSet(HANDLE event)
{
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

int serve(const char* pipeName, HANDLE stop)
{
    test::LoopApplication app;
    EchoHandler handler;
    par::PipeServer server(pipeName);
    server.setHandler(&handler);
    server.start();
    app.runUntil([stop] { return isSet(stop); }, INFINITE);
    return 0;
}

int call(const char* pipeName, int count, char** requests)
{
    par::PipeClient client(pipeName);
    client.start();
    for (int i = 0; i < count; ++i) {
        std::string response;
        if (client.sendRequest(requests[i], 5000, response))
            std::printf("answer:%s\n", response.c_str());
        else
            std::printf("failed\n");
    }
    std::fflush(stdout);
    return 0;
}

int sendUnread(const char* pipeName, const char* request, const std::string& next)
{
    HANDLE pipe = CreateFileA(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(pipe, request, static_cast<DWORD>(std::strlen(request)) + 1, &written, nullptr);
    if (next == "empty")
        WriteFile(pipe, "", 0, &written, nullptr);
    else if (next == "long")
        WriteFile(pipe, std::string(par::PipeServer::BUFFER_SIZE + 1, 'x').c_str(), par::PipeServer::BUFFER_SIZE + 1,
                  &written, nullptr);
    // The test ends this process.
    Sleep(INFINITE);
    return 0;
}

// Serves one synchronous pipe, echoing each request.
int serveRaw(const char* pipeName, HANDLE stop)
{
    HANDLE pipe = CreateNamedPipeA(pipeName, PIPE_ACCESS_DUPLEX,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return 1;
    while (!isSet(stop)) {
        if (!ConnectNamedPipe(pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
            continue;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            DWORD written = 0;
            if (!WriteFile(pipe, buffer, read, &written, nullptr))
                break;
        }
        DisconnectNamedPipe(pipe);
    }
    CloseHandle(pipe);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc >= 3 && mode == "client")
        return call(argv[2], argc - 3, argv + 3);
    if ((argc == 4 || argc == 5) && mode == "unread")
        return sendUnread(argv[2], argv[3], argc == 5 ? argv[4] : "");
    if (argc == 4) {
        HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        if (!stop)
            return 2;
        if (mode == "server")
            return serve(argv[2], stop);
        if (mode == "raw")
            return serveRaw(argv[2], stop);
    }
    std::fprintf(stderr, "usage: pipe_peer server|raw PIPE STOP_EVENT | client PIPE REQUEST... "
                         "| unread PIPE REQUEST [empty|long]\n");
    return 2;
}
