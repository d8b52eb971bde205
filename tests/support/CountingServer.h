#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace test {

// A TCP listener on 127.0.0.1, on a port of the system's choosing, that
// accepts connections, closes them at once and counts them.
class CountingServer {
public:
    CountingServer();
    ~CountingServer();
    CountingServer(const CountingServer&) = delete;
    CountingServer& operator=(const CountingServer&) = delete;

    // "http://127.0.0.1:PORT/"
    std::string url() const;
    int accepted() const { return myAccepted; }

private:
    std::uintptr_t mySocket;
    int myPort = 0;
    std::atomic<int> myAccepted{0};
    std::thread myThread;
};

// An address on 127.0.0.1 where nothing listens.
std::string closedPortUrl();

} // namespace test
