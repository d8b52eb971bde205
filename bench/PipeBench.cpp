// Round trip of one pipe request: from this (client) process through the
// server process's pipe thread and UI thread and back.
//   bench_pipe PIPE_PEER_EXE [REQUESTS]
#include "ipc/PipeClient.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double percentile(std::vector<double>& sorted, double share)
{
    const size_t index = static_cast<size_t>(share * (sorted.size() - 1) + 0.5);
    return sorted[index];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_pipe PIPE_PEER_EXE [REQUESTS]\n");
        return 2;
    }
    const int requests = argc > 2 ? std::atoi(argv[2]) : 10000;
    const std::string pipe = "\\\\.\\pipe\\par\\bench\\" + std::to_string(GetCurrentProcessId());
    const std::string stopName = "parbench-stop-" + std::to_string(GetCurrentProcessId());
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());

    std::string command = std::string("\"") + argv[1] + "\" server " + pipe + " " + stopName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION server = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &server)) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    // The wait fails at once while the server has not made the pipe yet.
    const DWORD start = GetTickCount();
    while (!WaitNamedPipeA(pipe.c_str(), 100) && GetTickCount() - start < 10000)
        Sleep(10);

    par::PipeClient client(pipe);
    client.start();
    std::string response;
    for (int i = 0; i < 100; ++i)
        client.sendRequest("warm-up", 5000, response);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    micros.reserve(requests);
    int failures = 0;
    for (int i = 0; i < requests; ++i) {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        QueryPerformanceCounter(&before);
        const bool ok = client.sendRequest("request " + std::to_string(i), 5000, response);
        QueryPerformanceCounter(&after);
        if (!ok)
            ++failures;
        micros.push_back((after.QuadPart - before.QuadPart) * 1e6 / frequency.QuadPart);
    }

    SetEvent(stop);
    WaitForSingleObject(server.hProcess, 10000);
    CloseHandle(server.hProcess);
    CloseHandle(server.hThread);
    CloseHandle(stop);

    std::sort(micros.begin(), micros.end());
    std::printf("pipe round trip over %d requests (%d failed): median %.1f us, 99th percentile %.1f us\n",
                requests, failures, percentile(micros, 0.5), percentile(micros, 0.99));
    return failures == 0 ? 0 : 1;
}
