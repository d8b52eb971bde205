#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"

#include "ChildProcess.h"
#include "LogCapture.h"
#include "LoopApplication.h"
#include "ModalLoop.h"
#include "PipeTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
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
        test::ChildOptions options;
        options.output = writeEnd;
        myProcess = std::make_unique<test::ChildProcess>(
            L"\"" + peerPath() + L"\" " + std::wstring(arguments.begin(), arguments.end()), options);
        CloseHandle(writeEnd);
    }
    ~Peer()
    {
        myProcess.reset();
        CloseHandle(myOutput);
    }

    bool started() const { return myProcess->started(); }
    bool hasEnded() const { return myProcess->hasEnded(); }
    void kill() { myProcess->terminate(1); }
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
    std::unique_ptr<test::ChildProcess> myProcess;
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

// Keeps "defer:" requests unanswered, throws for "throw" as a movie call
// that fails would, and records and answers the rest.
class AwkwardHandler : public RecordingHandler {
public:
    void handleRequest(PipeServer::AsyncRequest* request) override
    {
        const std::string text = request->getRequest();
        if (text.rfind("defer:", 0) == 0)
            kept.push_back(request);
        else if (text == "throw")
            throw std::runtime_error("the movie is gone");
        else
            RecordingHandler::handleRequest(request);
    }
    std::vector<PipeServer::AsyncRequest*> kept;
};

// A named event for a peer's lifetime.
class StopEvent {
public:
    StopEvent()
        : myName("partest-stop-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++theCount)),
          myEvent(CreateEventA(nullptr, TRUE, FALSE, myName.c_str()))
    {
    }
    ~StopEvent()
    {
        SetEvent(myEvent);
        CloseHandle(myEvent);
    }
    const std::string& name() const { return myName; }

private:
    static inline int theCount = 0;
    std::string myName;
    HANDLE myEvent;
};

// Deletes the owner of a thread, whose destructor stops it: the stop takes
// less than a second and the thread ends by itself.
template <typename Owner>
void expectPromptStop(std::unique_ptr<Owner>& owner)
{
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), owner->getHandle(), GetCurrentProcess(), &thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    const DWORD start = GetTickCount();
    owner.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000)) << "the thread ends";
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(1u, code) << "the thread ended by itself";
}

class PipeServerBetweenProcesses : public ::testing::Test {
protected:
    PipeServerBetweenProcesses()
    {
        myServer = std::make_unique<PipeServer>(myName);
        myServer->setHandler(&myHandler);
        myServer->start();
    }

    test::LoopApplication myApp;
    const std::string myName = test::uniquePipeName();
    AwkwardHandler myHandler;
    std::unique_ptr<PipeServer> myServer;
};

} // namespace

TEST_F(PipeServerBetweenProcesses, RequestArrivingInAModalLoopIsAnsweredThere)
{
    Peer peer("client " + myName + " activate");
    ASSERT_TRUE(peer.started());
    // A message box runs its own loop while the request comes in.
    EXPECT_TRUE(test::runModalLoopUntil([&] { return peer.hasEnded(); }, 10000));
    EXPECT_EQ(0u, peer.output().find("answer:true\r\n"));
    EXPECT_EQ((std::vector<std::string>{"activate"}), myHandler.requests);
}

TEST_F(PipeServerBetweenProcesses, ClientThatGoesWhileItsRequestIsKeptGivesThePipeBack)
{
    {
        Peer leaving("client " + myName + " defer:never");
        ASSERT_TRUE(myApp.runUntil([&] { return myHandler.kept.size() == 1; }, 10000));
        leaving.kill();
    }
    // The kept request is still out, and the next client is served all the same.
    test::waitForPipe(myName);
    Peer next("client " + myName + " activate");
    ASSERT_TRUE(myApp.runUntil([&] { return next.hasEnded(); }, 10000));
    EXPECT_EQ(0u, next.output().find("answer:true\r\n"));
    // Its answer goes nowhere and touches nothing of the server.
    myHandler.kept[0]->complete("too late");
    test::waitForPipe(myName);
    Peer after("client " + myName + " again");
    ASSERT_TRUE(myApp.runUntil([&] { return after.hasEnded(); }, 10000));
    EXPECT_EQ(0u, after.output().find("answer:ok\r\n"));
}

TEST_F(PipeServerBetweenProcesses, HandlerThatThrowsIsAnsweredEmptyAndTheLoopGoesOn)
{
    test::LogCapture log("app", par::Log::LEVEL_SEVERE);
    Peer peer("client " + myName + " throw activate");
    ASSERT_TRUE(myApp.runUntil([&] { return peer.hasEnded(); }, 20000));
    EXPECT_EQ(0u, peer.output().find("answer:\r\nanswer:true\r\n"));
    EXPECT_TRUE(log.contains("server: request handler failed: the movie is gone"));
}

TEST_F(PipeServerBetweenProcesses, StopWhileAClientLeavesItsAnswerUnreadIsPrompt)
{
    // Whatever the client sends next: nothing, an empty message, or one too long.
    for (const std::string next : {"", " empty", " long"}) {
        SCOPED_TRACE(next);
        const std::string name = test::uniquePipeName();
        AwkwardHandler handler;
        auto server = std::make_unique<PipeServer>(name);
        server->setHandler(&handler);
        server->start();
        Peer peer("unread " + name + " activate" + next);
        ASSERT_TRUE(myApp.runUntil([&] { return handler.requests.size() == 1; }, 10000));
        // Let the answer, and what follows it, reach the pipe before the stop.
        myApp.runUntil([] { return false; }, 100);
        expectPromptStop(server);
    }
}

TEST(PipeSquatting, PipeMadeFirstByAnotherProcessIsRefusedAtEveryTryLoggedOnceAndTheStopStaysPrompt)
{
    const std::string name = test::uniquePipeName();
    StopEvent stop;
    Peer squatter("raw " + name + " " + stop.name());
    ASSERT_TRUE(squatter.started());
    test::waitForPipe(name);

    test::LogCapture log("app", par::Log::LEVEL_SEVERE);
    auto server = std::make_unique<PipeServer>(name);
    server->start();
    Sleep(PipeServer::RETRY_MS * 2 + 200);
    EXPECT_EQ("server: CreatePipe failed\nserver: " + name + " exists already: another process serves it\n",
              log.text());
    expectPromptStop(server);
}

TEST(PipeClientBetweenProcesses, StopWhileAnAnswerIsAwaitedIsPrompt)
{
    const std::string name = test::uniquePipeName();
    StopEvent stop;
    Peer server("server " + name + " " + stop.name());
    test::waitForPipe(name);

    test::LogCapture log("app", par::Log::LEVEL_INFO);
    auto client = std::make_unique<PipeClient>(name);
    client->start();
    std::string answer;
    EXPECT_FALSE(client->sendRequest("hold", 300, answer));
    expectPromptStop(client);
    EXPECT_TRUE(log.contains("PipeClient: finish because of stopEvent signaled."));
}

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
