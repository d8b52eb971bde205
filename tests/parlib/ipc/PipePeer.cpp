// The other process of the pipe tests and the pipe benchmark.
//   pipe_peer server PIPE STOP_EVENT   serves PIPE until the named event is set
//   pipe_peer client PIPE REQUEST...   sends the requests and prints each answer
//                                      as "answer:<text>" or "failed"
#include "LoopApplication.h"

#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Answers "activate" with "true" and anything else with "echo:" and the text.
class EchoHandler : public par::PipeServer::Handler {
public:
    bool handleSyncRequest(const std::string& request, std::string& response) override
    {
        response = request == "activate" ? "true" : "echo:" + request;
        return true;
    }
};

int serve(const char* pipeName, const char* stopEventName)
{
    HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, stopEventName);
    if (!stop)
        return 2;
    test::LoopApplication app;
    EchoHandler handler;
    par::PipeServer server(pipeName);
    server.setHandler(&handler);
    server.start();
    app.runUntil([stop] { return WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }, INFINITE);
    CloseHandle(stop);
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

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "server") == 0)
        return serve(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "client") == 0)
        return call(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: pipe_peer server PIPE STOP_EVENT | client PIPE REQUEST...\n");
    return 2;
}
