// Round trip of one pipe request: from this (client) process through the
// server process's pipe thread and UI thread and back, beside a plain
// two-process message-mode round trip measured in the same run.
//   bench_pipe PIPE_PEER_EXE [REQUESTS]
#include "ipc/PipeClient.h"
#include "util/Scoped.h"

#include "AnsiText.h"
#include "ChildProcess.h"
#include "PollUntil.h"

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
          myStop(CreateEventA(nullptr, TRUE, FALSE, myStopName.c_str())),
          myProcess(fromAnsi("\"" + exe + "\" " + mode + " " + pipe + " " + myStopName))
    {
        // The wait fails at once while the server has not made the pipe yet.
        if (myProcess.started())
            test::pollUntil([&] { return WaitNamedPipeA(pipe.c_str(), 100) != FALSE; }, 10000, 10);
    }
    ~Peer()
    {
        SetEvent(myStop.get());
        myProcess.waitForEnd(10000);
    }
    bool started() const { return myProcess.started(); }

private:
    std::string myStopName;
    par::ScopedHandle myStop;
    test::ChildProcess myProcess;
};

// A plain synchronous client in message read mode.
class RawClient {
public:
    explicit RawClient(const std::string& pipe)
        : myPipe(CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                             nullptr))
    {
        DWORD mode = PIPE_READMODE_MESSAGE;
        if (myPipe != INVALID_HANDLE_VALUE)
            SetNamedPipeHandleState(myPipe, &mode, nullptr, nullptr);
    }
    ~RawClient()
    {
        if (myPipe != INVALID_HANDLE_VALUE)
            CloseHandle(myPipe);
    }

    bool roundTrip(const std::string& request)
    {
        DWORD done = 0;
        return WriteFile(myPipe, request.c_str(), static_cast<DWORD>(request.size()) + 1, &done, nullptr)
            && ReadFile(myPipe, myBuffer, sizeof myBuffer, &done, nullptr) && done == request.size() + 1;
    }

private:
    HANDLE myPipe;
    char myBuffer[4096];
};

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceFrequency(&myFrequency); }

    // Microseconds that the call takes; counts a failure.
    void time(const std::function<bool()>& call, std::vector<double>& micros, int& failures)
    {
        LARGE_INTEGER before;
        LARGE_INTEGER after;
        QueryPerformanceCounter(&before);
        const bool ok = call();
        QueryPerformanceCounter(&after);
        if (!ok)
            ++failures;
        micros.push_back((after.QuadPart - before.QuadPart) * 1e6 / myFrequency.QuadPart);
    }

private:
    LARGE_INTEGER myFrequency;
};

Figures figuresOf(std::vector<double>& micros, int failures)
{
    std::sort(micros.begin(), micros.end());
    return Figures{percentile(micros, 0.5), percentile(micros, 0.99), failures};
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

    Peer libraryServer(argv[1], "server", pipe);
    Peer rawServer(argv[1], "raw", pipe + "-raw");
    if (!libraryServer.started() || !rawServer.started()) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }
    par::PipeClient client(pipe);
    client.start();
    RawClient rawClient(pipe + "-raw");
    std::string response;
    auto throughLibrary = [&](int i) {
        return client.sendRequest("request " + std::to_string(i), 5000, response);
    };
    auto plain = [&](int i) { return rawClient.roundTrip("request " + std::to_string(i)); };
    for (int i = 0; i < 100; ++i) {
        throughLibrary(i);
        plain(i);
    }

    // Taken in turns of a block each, so that the machine's load weighs on
    // both alike while each road stays warm within its block.
    const int BLOCK = 250;
    Stopwatch stopwatch;
    std::vector<double> libraryMicros;
    std::vector<double> rawMicros;
    int libraryFailures = 0;
    int rawFailures = 0;
    for (int first = 0; first < requests; first += BLOCK) {
        const int last = std::min(requests, first + BLOCK);
        for (int i = first; i < last; ++i)
            stopwatch.time([&] { return throughLibrary(i); }, libraryMicros, libraryFailures);
        for (int i = first; i < last; ++i)
            stopwatch.time([&] { return plain(i); }, rawMicros, rawFailures);
    }
    const Figures library = figuresOf(libraryMicros, libraryFailures);
    const Figures raw = figuresOf(rawMicros, rawFailures);

    std::printf("pipe round trip over %d requests (%d failed): median %.1f us, 99th percentile %.1f us\n",
                requests, library.failures, library.median, library.p99);
    std::printf("raw message-mode round trip over %d requests (%d failed): median %.1f us, "
                "99th percentile %.1f us\n",
                requests, raw.failures, raw.median, raw.p99);
    if (raw.median > 0)
        std::printf("median ratio pipe/raw: %.2f\n", library.median / raw.median);
    return library.failures == 0 && raw.failures == 0 ? 0 : 1;
}
