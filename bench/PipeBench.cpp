// Round trip of one pipe request: from this (client) process through the
// server process's pipe thread and UI thread and back, beside a plain
// two-process message-mode round trip measured in the same run.
//   bench_pipe PIPE_PEER_EXE [REQUESTS]
#include "ipc/PipeClient.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Figures {
    double median = 0;
    double p99 = 0;
    int failures = 0;
};

double percentile(const std::vector<double>& sorted, double share)
{
    const size_t index = static_cast<size_t>(share * (sorted.size() - 1) + 0.5);
    return sorted[index];
}

// The peer serving one pipe in the given mode, until the bench is done.
class Peer {
public:
    Peer(const std::string& exe, const std::string& mode, const std::string& pipe)
        : myStopName("parbench-stop-" + mode + "-" + std::to_string(GetCurrentProcessId())),
          myStop(CreateEventA(nullptr, TRUE, FALSE, myStopName.c_str()))
    {
        std::string command = "\"" + exe + "\" " + mode + " " + pipe + " " + myStopName;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        myStarted = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &myProcess) != FALSE;
        // The wait fails at once while the server has not made the pipe yet.
        const DWORD start = GetTickCount();
        while (myStarted && !WaitNamedPipeA(pipe.c_str(), 100) && GetTickCount() - start < 10000)
            Sleep(10);
    }
    ~Peer()
    {
        SetEvent(myStop);
        if (myStarted) {
            if (WaitForSingleObject(myProcess.hProcess, 10000) != WAIT_OBJECT_0)
                TerminateProcess(myProcess.hProcess, 1);
            CloseHandle(myProcess.hProcess);
            CloseHandle(myProcess.hThread);
        }
        CloseHandle(myStop);
    }
    bool started() const { return myStarted; }

private:
    std::string myStopName;
    HANDLE myStop;
    PROCESS_INFORMATION myProcess = {};
    bool myStarted = false;
};

Figures measure(int requests, const std::function<bool(int)>& roundTrip)
{
    for (int i = 0; i < 100; ++i)
        roundTrip(i);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> micros;
    micros.reserve(requests);
    Figures figures;
    for (int i = 0; i < requests; ++i) {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        QueryPerformanceCounter(&before);
        const bool ok = roundTrip(i);
        QueryPerformanceCounter(&after);
        if (!ok)
            ++figures.failures;
        micros.push_back((after.QuadPart - before.QuadPart) * 1e6 / frequency.QuadPart);
    }
    std::sort(micros.begin(), micros.end());
    figures.median = percentile(micros, 0.5);
    figures.p99 = percentile(micros, 0.99);
    return figures;
}

Figures measureLibrary(const std::string& exe, const std::string& pipe, int requests)
{
    Peer server(exe, "server", pipe);
    if (!server.started())
        return Figures{0, 0, requests};
    par::PipeClient client(pipe);
    client.start();
    std::string response;
    return measure(requests, [&](int i) {
        return client.sendRequest("request " + std::to_string(i), 5000, response);
    });
}

Figures measureRaw(const std::string& exe, const std::string& pipe, int requests)
{
    Peer server(exe, "raw", pipe);
    HANDLE handle = CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (!server.started() || handle == INVALID_HANDLE_VALUE)
        return Figures{0, 0, requests};
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(handle, &mode, nullptr, nullptr);
    char buffer[4096];
    const Figures figures = measure(requests, [&](int i) {
        const std::string request = "request " + std::to_string(i);
        DWORD done = 0;
        return WriteFile(handle, request.c_str(), static_cast<DWORD>(request.size()) + 1, &done, nullptr)
            && ReadFile(handle, buffer, sizeof buffer, &done, nullptr) && done == request.size() + 1;
    });
    CloseHandle(handle);
    return figures;
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

    const Figures library = measureLibrary(argv[1], pipe, requests);
    const Figures raw = measureRaw(argv[1], pipe + "-raw", requests);

    std::printf("pipe round trip over %d requests (%d failed): median %.1f us, 99th percentile %.1f us\n",
                requests, library.failures, library.median, library.p99);
    std::printf("raw message-mode round trip over %d requests (%d failed): median %.1f us, "
                "99th percentile %.1f us\n",
                requests, raw.failures, raw.median, raw.p99);
    if (raw.median > 0)
        std::printf("median ratio pipe/raw: %.2f\n", library.median / raw.median);
    return library.failures == 0 && raw.failures == 0 ? 0 : 1;
}
