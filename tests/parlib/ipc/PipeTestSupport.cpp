#include "PipeTestSupport.h"

#include "PollUntil.h"

#include "util/Scoped.h"

#include <sddl.h>

#include <vector>

namespace test {

std::string uniquePipeName()
{
    static unsigned counter = 0;
    return "\\\\.\\pipe\\par\\test\\" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

std::string waitForPipe(const std::string& name)
{
    // A pipe that does not exist yet fails the wait at once.
    pollUntil([&] { return WaitNamedPipeA(name.c_str(), 100) != FALSE; }, 5000, 10);
    return name;
}

std::string currentUserSid()
{
    HANDLE rawToken = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken);
    par::ScopedHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size);
    char* text = nullptr;
    ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text);
    std::string sid(text ? text : "");
    LocalFree(text);
    return sid;
}

RawPipeClient::RawPipeClient(const std::string& name)
    : myPipe(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr))
{
    if (myPipe == INVALID_HANDLE_VALUE) {
        myOpenError = GetLastError();
        return;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(myPipe, &mode, nullptr, nullptr);
}

RawPipeClient::~RawPipeClient()
{
    if (isOpen())
        CloseHandle(myPipe);
}

bool RawPipeClient::write(const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(myPipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string RawPipeClient::read()
{
    std::string message;
    char buffer[1024];
    for (;;) {
        DWORD got = 0;
        const BOOL ok = ReadFile(myPipe, buffer, sizeof buffer, &got, nullptr);
        if (!ok && GetLastError() != ERROR_MORE_DATA)
            return std::string();
        message.append(buffer, got);
        if (ok)
            return message;
    }
}

bool RawPipeClient::readSucceeds()
{
    return !read().empty();
}

} // namespace test
