#include "ipc/PipeServer.h"

#include "LogCapture.h"
#include "LoopApplication.h"
#include "PipeTestSupport.h"
#include "PollUntil.h"
#include "util/Log.h"
#include "winui/Window.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

using par::PipeServer;
using test::RawPipeClient;

namespace {

// Answers with "answer:" and the request, and remembers what it was asked.
class RecordingHandler : public PipeServer::Handler {
public:
    bool handleSyncRequest(const std::string& request, std::string& response) override
    {
        requests.push_back(request);
        response = "answer:" + request;
        return true;
    }
    std::vector<std::string> requests;
};

// Keeps requests that start with "defer:" to answer them later, as a handler
// that asks the movie first; answers the others at once.
class DeferringHandler : public RecordingHandler {
public:
    void handleRequest(PipeServer::AsyncRequest* request) override
    {
        if (request->getRequest().rfind("defer:", 0) == 0)
            pending.push_back(request);
        else
            RecordingHandler::handleRequest(request);
    }
    std::vector<PipeServer::AsyncRequest*> pending;
};

class PipeServerTest : public ::testing::Test {
protected:
    // Runs the client's part on a thread of its own while the UI thread runs
    // the loop that the server's requests go through.
    void runClient(const std::function<void()>& client, unsigned timeoutMs = 10000)
    {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            client();
            done = true;
        });
        myApp.runUntil([&] { return done.load(); }, timeoutMs);
        thread.join();
    }

    test::LoopApplication myApp;
    const std::string myName = test::uniquePipeName();
};

} // namespace

TEST_F(PipeServerTest, AnswersEachRequestOfAConnectionWithItsZeroByte)
{
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();

    std::string first;
    std::string second;
    runClient([&] {
        RawPipeClient client(myName);
        ASSERT_TRUE(client.isOpen());
        ASSERT_TRUE(client.write(std::string("activate") + '\0'));
        first = client.read();
        ASSERT_TRUE(client.write(std::string("again") + '\0'));
        second = client.read();
    });
    EXPECT_EQ(std::string("answer:activate") + '\0', first);
    EXPECT_EQ(std::string("answer:again") + '\0', second);
    EXPECT_EQ((std::vector<std::string>{"activate", "again"}), handler.requests);
}

TEST_F(PipeServerTest, RequestWithoutZeroByteIsTakenWholeAndOneWithTwoEndsAtTheFirst)
{
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();
    runClient([&] {
        RawPipeClient client(myName);
        client.write("no terminator");
        client.read();
        client.write(std::string("first\0second", 12));
        client.read();
    });
    EXPECT_EQ((std::vector<std::string>{"no terminator", "first"}), handler.requests);
}

TEST_F(PipeServerTest, OverlongRequestDropsTheConnectionAndTheServerListensAgain)
{
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();

    bool answered = true;
    std::string later;
    runClient([&] {
        {
            RawPipeClient client(myName);
            client.write(std::string(4096, 'x') + '\0');
            answered = client.readSucceeds();
        }
        RawPipeClient next(test::waitForPipe(myName));
        next.write(std::string("after") + '\0');
        later = next.read();
    });
    EXPECT_FALSE(answered);
    EXPECT_EQ(std::string("answer:after") + '\0', later);
    EXPECT_EQ((std::vector<std::string>{"after"}), handler.requests);
}

TEST_F(PipeServerTest, RequestOfExactlyTheBufferSizeIsServed)
{
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();
    std::string answer;
    runClient([&] {
        RawPipeClient client(myName);
        client.write(std::string(4095, 'y') + '\0');
        answer = client.read();
    });
    EXPECT_EQ("answer:" + std::string(4095, 'y') + '\0', answer);
}

TEST_F(PipeServerTest, WithoutHandlerEveryRequestGetsTheEmptyAnswer)
{
    PipeServer server(myName);
    server.start();
    std::string answer = "unset";
    runClient([&] {
        RawPipeClient client(myName);
        client.write(std::string("activate") + '\0');
        answer = client.read();
    });
    EXPECT_EQ(std::string(1, '\0'), answer);
}

TEST_F(PipeServerTest, SecondClientIsRefusedWhileOneIsServed)
{
    PipeServer server(myName);
    server.start();
    DWORD secondError = 0;
    runClient([&] {
        RawPipeClient first(myName);
        ASSERT_TRUE(first.isOpen());
        RawPipeClient second(myName);
        EXPECT_FALSE(second.isOpen());
        secondError = second.openError();
    });
    EXPECT_EQ(static_cast<DWORD>(ERROR_PIPE_BUSY), secondError);
}

TEST_F(PipeServerTest, ClientThatLeavesBeforeItsAnswerDoesNotStopTheServer)
{
    DeferringHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();
    HANDLE handed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread leaving([&] {
        RawPipeClient client(myName);
        client.write(std::string("defer:going") + '\0');
        WaitForSingleObject(handed, 5000);
    });
    ASSERT_TRUE(myApp.runUntil([&] { return handler.pending.size() == 1; }, 5000));
    SetEvent(handed);
    leaving.join();
    CloseHandle(handed);
    // The client is gone: the answer goes into a broken pipe.
    handler.pending[0]->complete("too late");

    std::string answer;
    runClient([&] {
        RawPipeClient client(test::waitForPipe(myName));
        client.write(std::string("next") + '\0');
        answer = client.read();
    });
    EXPECT_EQ(std::string("answer:next") + '\0', answer);
}

TEST_F(PipeServerTest, RequestWhoseClientLeftBeforeTheUiThreadTookItStillReachesTheHandler)
{
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();
    {
        // The loop does not run: the request waits in the UI thread's queue
        // while its sender goes, as a saver that gave up waiting does.
        RawPipeClient client(myName);
        client.write(std::string("resume") + '\0');
        MSG msg;
        test::pollUntil(
            [&] { return PeekMessageA(&msg, nullptr, par::WM_ASYNC_EXEC, par::WM_ASYNC_EXEC, PM_NOREMOVE) != FALSE; },
            5000, 5);
    }
    test::waitForPipe(myName);

    std::string answer;
    runClient([&] {
        RawPipeClient next(myName);
        next.write(std::string("next") + '\0');
        answer = next.read();
    });
    EXPECT_EQ((std::vector<std::string>{"resume", "next"}), handler.requests);
    EXPECT_EQ(std::string("answer:next") + '\0', answer);
}

TEST_F(PipeServerTest, NameHeldElsewhereAtTheStartIsServedOnceItIsFree)
{
    // Any open instance holds the name, a client's end of one too.
    HANDLE held = CreateNamedPipeA(myName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE,
                                   PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    RecordingHandler handler;
    PipeServer server(myName);
    server.setHandler(&handler);
    server.start();
    // Long enough for the server to have asked again.
    Sleep(PipeServer::RETRY_MS * 2);
    CloseHandle(held);

    std::string answer;
    runClient([&] {
        RawPipeClient client(test::waitForPipe(myName));
        client.write(std::string("activate") + '\0');
        answer = client.read();
    });
    EXPECT_EQ(std::string("answer:activate") + '\0', answer);
}

TEST_F(PipeServerTest, StopWhileWaitingForAClientEndsWithinTheHandshake)
{
    auto server = std::make_unique<PipeServer>(myName);
    HANDLE thread = server->start();
    ASSERT_NE(nullptr, thread);
    Sleep(100);
    const DWORD start = GetTickCount();
    server->requestStopAndWait();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000)) << "the thread ends";
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(1u, code);
}

TEST_F(PipeServerTest, RequestStillQueuedWhenTheServerStopsNeverReachesTheHandler)
{
    RecordingHandler handler;
    auto server = std::make_unique<PipeServer>(myName);
    server->setHandler(&handler);
    server->start();

    // The loop does not run, so the request waits in the UI thread's queue.
    std::thread client([&] {
        RawPipeClient raw(myName);
        raw.write(std::string("queued") + '\0');
        raw.readSucceeds();
    });
    MSG msg;
    test::pollUntil(
        [&] { return PeekMessageA(&msg, nullptr, par::WM_ASYNC_EXEC, par::WM_ASYNC_EXEC, PM_NOREMOVE) != FALSE; },
        5000, 5);
    server.reset();
    client.join();

    // The late call runs now, into nothing of the deleted server.
    myApp.runUntil([] { return false; }, 200);
    EXPECT_TRUE(handler.requests.empty());
}

TEST_F(PipeServerTest, RequestKeptByTheHandlerCanBeCompletedAfterTheServerIsGone)
{
    DeferringHandler deferring;
    auto server = std::make_unique<PipeServer>(myName);
    server->setHandler(&deferring);
    server->start();
    std::thread client([&] {
        RawPipeClient raw(myName);
        raw.write(std::string("defer:kept") + '\0');
        raw.readSucceeds();
    });
    ASSERT_TRUE(myApp.runUntil([&] { return !deferring.pending.empty(); }, 5000));
    server.reset();
    client.join();
    EXPECT_EQ("defer:kept", deferring.pending[0]->getRequest());
    deferring.pending[0]->complete("whenever");
}

namespace {

std::atomic<PipeServer::AsyncRequest*> theKeptRequest{nullptr};
std::atomic<bool> theAnswerAtTheLimit{false};
std::atomic<bool> theStartRead{false};

// Keeps the request unanswered, as a UI thread that is busy elsewhere.
class KeepingHandler : public PipeServer::Handler {
public:
    void handleRequest(PipeServer::AsyncRequest* request) override { theKeptRequest = request; }
};

// The pipe thread's clock: it stands still at the request's start (the
// first read, which may come after the request is kept), then jumps to the
// answer limit once the request is kept. The pipe thread reads it after its
// wait timed out and before it gives the request up, so an answer given
// here comes exactly at the limit.
DWORD WINAPI clockAtTheLimitOnceKept()
{
    if (!theStartRead.exchange(true) || !theKeptRequest)
        return 0;
    if (theAnswerAtTheLimit) {
        if (PipeServer::AsyncRequest* kept = theKeptRequest.exchange(nullptr))
            kept->complete("at the limit");
    }
    return PipeServer::ANSWER_TIMEOUT_MS;
}

class PipeServerAtTheAnswerLimitTest : public PipeServerTest {
protected:
    void SetUp() override { PipeServer::setTickCountQuery(clockAtTheLimitOnceKept); }

    void TearDown() override
    {
        PipeServer::setTickCountQuery(GetTickCount);
        if (PipeServer::AsyncRequest* kept = theKeptRequest.exchange(nullptr))
            kept->complete("too late");
    }

    std::string answerTo(const std::string& request, bool answerAtTheLimit)
    {
        theAnswerAtTheLimit = answerAtTheLimit;
        theStartRead = false;
        KeepingHandler handler;
        PipeServer server(myName);
        server.setHandler(&handler);
        server.start();
        std::string answer = "unset";
        runClient([&] {
            RawPipeClient client(myName);
            client.write(request + '\0');
            answer = client.read();
        });
        return answer;
    }

    test::LogCapture myLog;
};

} // namespace

TEST_F(PipeServerAtTheAnswerLimitTest, AnswerThatComesAtTheLimitReachesTheClient)
{
    EXPECT_EQ(std::string("at the limit") + '\0', answerTo("activate", true));
    EXPECT_FALSE(myLog.contains("no answer in time"));
}

TEST_F(PipeServerAtTheAnswerLimitTest, RequestLeftUnansweredIsLoggedOnOneLineWithItsControlsEscaped)
{
    EXPECT_EQ(std::string(1, '\0'), answerTo("x\r\nserver: forged\t\x1b\x7f\\", false));
    EXPECT_EQ("server: no answer in time, answered empty, "
              "request=x\\r\\nserver: forged\\x09\\x1B\\x7F\\\\\n",
              myLog.text());
}

TEST(PipeServerWithoutApplication, RequestThatCannotReachTheUiThreadIsAnsweredEmpty)
{
    RecordingHandler handler;
    const std::string name = test::uniquePipeName();
    PipeServer server(name);
    server.setHandler(&handler);
    server.start();
    RawPipeClient client(name);
    client.write(std::string("nobody home") + '\0');
    EXPECT_EQ(std::string(1, '\0'), client.read());
    EXPECT_TRUE(handler.requests.empty());
}

TEST(PipeServerFailure, PipeThatCannotBeCreatedIsLoggedAndTheThreadEnds)
{
    std::ostringstream log;
    par::getLog("app")->setStream(&log);
    PipeServer server("not a pipe name");
    HANDLE thread = server.start();
    WaitForSingleObject(thread, 5000);
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    par::getLog("app")->setStream(nullptr);
    EXPECT_EQ(0u, code);
    EXPECT_EQ("server: CreatePipe failed\n", log.str());
}

TEST(PipeSecurity, OnlyTheCurrentUserAndTheSystemAccountMayConnect)
{
    const std::string name = test::uniquePipeName();
    PipeServer server(name);
    RawPipeClient client(name);
    ASSERT_TRUE(client.isOpen()) << "the owner's own user may connect";

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              GetSecurityInfo(client.handle(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor));
    ASSERT_NE(nullptr, dacl) << "a null DACL would let everybody in";

    std::vector<std::string> sids;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->AceType);
        char* text = nullptr;
        ConvertSidToStringSidA(&reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &text);
        sids.push_back(text);
        LocalFree(text);
    }
    LocalFree(descriptor);
    EXPECT_EQ((std::vector<std::string>{"S-1-5-18", test::currentUserSid()}), sids);
}
