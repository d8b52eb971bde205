#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"

#include "LoopApplication.h"
#include "PipeTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using par::PipeClient;
using par::PipeServer;

namespace {

std::wstring peerPath()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + L"pipe_peer.exe";
}

// The helper program pipe_peer, with its standard output kept for reading.
class Peer {
public:
    explicit Peer(const std::string& arguments)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE writeEnd = nullptr;
        CreatePipe(&myOutput, &writeEnd, &inherit, 0);
        SetHandleInformation(myOutput, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        std::wstring command = L"\"" + peerPath() + L"\" " + std::wstring(arguments.begin(), arguments.end());
        myStarted = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &startup, &myProcess) != FALSE;
        CloseHandle(writeEnd);
    }
    ~Peer()
    {
        if (myStarted) {
            TerminateProcess(myProcess.hProcess, 1);
            WaitForSingleObject(myProcess.hProcess, 5000);
            CloseHandle(myProcess.hProcess);
            CloseHandle(myProcess.hThread);
        }
        CloseHandle(myOutput);
    }

    bool started() const { return myStarted; }
    bool hasEnded() const { return WaitForSingleObject(myProcess.hProcess, 0) == WAIT_OBJECT_0; }
    void kill() { TerminateProcess(myProcess.hProcess, 1); WaitForSingleObject(myProcess.hProcess, 5000); }
    // All that the peer wrote, once it has ended.
    std::string output()
    {
        std::string text;
        char buffer[512];
        DWORD got = 0;
        while (ReadFile(myOutput, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        return text;
    }

private:
    HANDLE myOutput = nullptr;
    PROCESS_INFORMATION myProcess = {};
    bool myStarted = false;
};

class RecordingHandler : public PipeServer::Handler {
public:
    bool handleSyncRequest(const std::string& request, std::string& response) override
    {
        requests.push_back(request);
        response = request == "activate" ? "true" : "ok";
        return true;
    }
    std::vector<std::string> requests;
};

} // namespace

TEST(PipeBetweenProcesses, ClientProcessIsServedByThisProcess)
{
    test::LoopApplication app;
    const std::string name = test::uniquePipeName();
    RecordingHandler handler;
    PipeServer server(name);
    server.setHandler(&handler);
    server.start();

    Peer peer("client " + name + " activate suspend");
    ASSERT_TRUE(peer.started());
    ASSERT_TRUE(app.runUntil([&] { return peer.hasEnded(); }, 20000));
    EXPECT_EQ(0u, peer.output().find("answer:true\r\nanswer:ok\r\n"));
    EXPECT_EQ((std::vector<std::string>{"activate", "suspend"}), handler.requests);
}

TEST(PipeBetweenProcesses, ServerProcessRestartIsSeenByTheClient)
{
    const std::string name = test::uniquePipeName();
    const std::string stopName = "partest-stop-" + std::to_string(GetCurrentProcessId());
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
    PipeClient client(name);
    client.start();
    std::string answer;
    {
        Peer server("server " + name + " " + stopName);
        ASSERT_TRUE(server.started());
        test::waitForPipe(name);
        ASSERT_TRUE(client.sendRequest("activate", 5000, answer));
        EXPECT_EQ("true", answer);
        server.kill();
    }
    Peer restarted("server " + name + " " + stopName);
    test::waitForPipe(name);
    EXPECT_FALSE(client.sendRequest("lost", 5000, answer)) << "the old connection is broken";
    ASSERT_TRUE(client.sendRequest("hello", 5000, answer));
    EXPECT_EQ("echo:hello", answer);

    SetEvent(stop);
    CloseHandle(stop);
}
