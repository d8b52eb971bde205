#pragma once

#include <windows.h>

#include <string>

namespace test {

// A pipe name of its own for each call, so that test programs can run side by side.
std::string uniquePipeName();

// Waits until the pipe can take a client; returns the name.
std::string waitForPipe(const std::string& name);

// The current user's SID as text.
std::string currentUserSid();

// A plain synchronous client in message read mode, for looking at the bytes
// that the server sends.
class RawPipeClient {
public:
    explicit RawPipeClient(const std::string& name);
    ~RawPipeClient();
    RawPipeClient(const RawPipeClient&) = delete;
    RawPipeClient& operator=(const RawPipeClient&) = delete;

    bool isOpen() const { return myPipe != INVALID_HANDLE_VALUE; }
    DWORD openError() const { return myOpenError; }
    HANDLE handle() const { return myPipe; }
    bool write(const std::string& bytes);
    // One whole message, or "" when the read fails.
    std::string read();
    bool readSucceeds();

private:
    HANDLE myPipe;
    DWORD myOpenError = 0;
};

} // namespace test
