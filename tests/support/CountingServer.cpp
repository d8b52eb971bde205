#include <winsock2.h>

#include "CountingServer.h"

namespace test {

namespace {

std::string loopbackUrl(int port)
{
    return "http://127.0.0.1:" + std::to_string(port) + "/";
}

// Binds a new socket to a free loopback port and gives the port.
SOCKET boundSocket(int& port)
{
    SOCKET bound = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return bound;
}

void startWinsock()
{
    // Winsock counts its users: each start is matched by one WSACleanup.
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

} // namespace

CountingServer::CountingServer()
{
    startWinsock();
    const SOCKET server = boundSocket(myPort);
    listen(server, 16);
    mySocket = server;
    myThread = std::thread([this, server] {
        for (;;) {
            SOCKET client = accept(server, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            ++myAccepted;
            closesocket(client);
        }
    });
}

CountingServer::~CountingServer()
{
    closesocket(static_cast<SOCKET>(mySocket));
    myThread.join();
    WSACleanup();
}

std::string CountingServer::url() const
{
    return loopbackUrl(myPort);
}

std::string closedPortUrl()
{
    startWinsock();
    int port = 0;
    closesocket(boundSocket(port));
    WSACleanup();
    return loopbackUrl(port);
}

} // namespace test
