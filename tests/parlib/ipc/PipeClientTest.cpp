#include "ipc/PipeClient.h"
#include "ipc/PipeServer.h"

#include "LoopApplication.h"
#include "PipeTestSupport.h"
#include "util/Log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

using par::PipeClient;
using par::PipeServer;

namespace {

// Answers "long" with 10000 characters, keeps "defer:" requests for later and
// answers anything else with "answer:" and the request.
class TestHandler : public PipeServer::Handler {
public:
    void handleRequest(PipeServer::AsyncRequest* request) override
    {
        const std::string text = request->getRequest();
        if (text.rfind("defer:", 0) == 0)
            pending.push_back(request);
        else
            request->complete(text == "long" ? std::string(10000, 'L') : "answer:" + text);
    }
    std::vector<PipeServer::AsyncRequest*> pending;
};

class PipeClientTest : public ::testing::Test {
protected:
    PipeClientTest()
    {
        myServer = std::make_unique<PipeServer>(myName);
        myServer->setHandler(&myHandler);
        myServer->start();
        myClient.start();
    }

    // The client blocks its caller, so it runs on a thread of its own while
    // the UI thread runs the loop that the server's requests go through.
    void onClientThread(const std::function<void()>& calls)
    {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            calls();
            done = true;
        });
        myApp.runUntil([&] { return done.load(); }, 20000);
        thread.join();
    }

    test::LoopApplication myApp;
    const std::string myName = test::uniquePipeName();
    TestHandler myHandler;
    std::unique_ptr<PipeServer> myServer;
    PipeClient myClient{myName};
};

} // namespace

TEST_F(PipeClientTest, RequestsOnOneConnectionGetTheirAnswersWithoutTheZeroByte)
{
    std::string first;
    std::string second;
    bool firstOk = false;
    bool secondOk = false;
    onClientThread([&] {
        firstOk = myClient.sendRequest("activate", 5000, first);
        secondOk = myClient.sendRequest("resume", 5000, second);
    });
    EXPECT_TRUE(firstOk);
    EXPECT_EQ("answer:activate", first);
    EXPECT_TRUE(secondOk);
    EXPECT_EQ("answer:resume", second);
    EXPECT_TRUE(myClient.isConnected());
}

TEST_F(PipeClientTest, ConnectOpensAndClosesTheConnection)
{
    bool opened = false;
    bool closed = true;
    onClientThread([&] {
        opened = myClient.connect(true, 5000);
        closed = myClient.connect(false, 5000);
    });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(closed);
}

TEST_F(PipeClientTest, AnswerLongerThanOneReadArrivesWholeAndTheNextStaysApart)
{
    std::string longAnswer;
    std::string next;
    onClientThread([&] {
        EXPECT_TRUE(myClient.sendRequest("long", 5000, longAnswer));
        EXPECT_TRUE(myClient.sendRequest("after", 5000, next));
    });
    EXPECT_EQ(std::string(10000, 'L'), longAnswer);
    EXPECT_EQ("answer:after", next);
}

TEST_F(PipeClientTest, ServerRestartFailsOneRequestAndTheNextReconnects)
{
    std::string answer;
    onClientThread([&] { EXPECT_TRUE(myClient.sendRequest("before", 5000, answer)); });

    myServer.reset();
    myServer = std::make_unique<PipeServer>(myName);
    myServer->setHandler(&myHandler);
    myServer->start();

    bool firstAfterRestart = true;
    bool secondAfterRestart = false;
    onClientThread([&] {
        firstAfterRestart = myClient.sendRequest("broken", 5000, answer);
        EXPECT_FALSE(myClient.isConnected());
        secondAfterRestart = myClient.sendRequest("again", 5000, answer);
    });
    EXPECT_FALSE(firstAfterRestart);
    EXPECT_TRUE(secondAfterRestart);
    EXPECT_EQ("answer:again", answer);
}

TEST_F(PipeClientTest, CallPastItsLimitFailsAndItsLateAnswerNeverReachesTheNextCall)
{
    std::string late = "untouched";
    bool lateOk = true;
    DWORD elapsed = 0;
    onClientThread([&] {
        const DWORD start = GetTickCount();
        lateOk = myClient.sendRequest("defer:slow", 300, late);
        elapsed = GetTickCount() - start;
    });
    EXPECT_FALSE(lateOk);
    EXPECT_LT(elapsed, 2000u);
    EXPECT_EQ("untouched", late) << "the late call writes into nothing of the caller's";

    ASSERT_TRUE(myApp.runUntil([&] { return myHandler.pending.size() == 1; }, 5000));
    myHandler.pending[0]->complete("slow answer");

    std::string next;
    onClientThread([&] { EXPECT_TRUE(myClient.sendRequest("quick", 5000, next)); });
    EXPECT_EQ("answer:quick", next);
}

TEST_F(PipeClientTest, CallWhileALateOneStillRunsWaitsForItWithinItsOwnLimit)
{
    std::ostringstream log;
    par::getLog("app")->setStream(&log);
    std::string answer;
    bool secondOk = true;
    onClientThread([&] {
        myClient.sendRequest("defer:first", 200, answer);
        secondOk = myClient.sendRequest("second", 200, answer);
    });
    par::getLog("app")->setStream(nullptr);
    EXPECT_FALSE(secondOk) << "the thread is still busy with the first call";
    EXPECT_NE(std::string::npos, log.str().find("syncCall(), mySyncCall is not NULL"));

    ASSERT_TRUE(myApp.runUntil([&] { return myHandler.pending.size() == 1; }, 5000));
    myHandler.pending[0]->complete("first answer");
    onClientThread([&] { EXPECT_TRUE(myClient.sendRequest("third", 5000, answer)); });
    EXPECT_EQ("answer:third", answer);
}

TEST_F(PipeClientTest, ClientDestroyedWhileItsCallStillRunsEndsCleanly)
{
    auto client = std::make_unique<PipeClient>(myName);
    client->start();
    std::string answer;
    onClientThread([&] { EXPECT_FALSE(client->sendRequest("defer:never", 200, answer)); });
    // The server holds the request unanswered: the client thread is blocked
    // in its read and is ended by the stop handshake.
    const DWORD start = GetTickCount();
    client.reset();
    EXPECT_LT(GetTickCount() - start, 4000u);
}

TEST(PipeClientWithoutServer, FailsWithinItsLimitAndStaysUnconnected)
{
    PipeClient client(test::uniquePipeName());
    client.start();
    std::string answer = "untouched";
    const DWORD start = GetTickCount();
    EXPECT_FALSE(client.sendRequest("activate", 2000, answer));
    EXPECT_LT(GetTickCount() - start, 2000u) << "no wait for a pipe that does not exist";
    EXPECT_FALSE(client.isConnected());
    EXPECT_FALSE(client.connect(true, 2000));
    EXPECT_EQ("untouched", answer);
}

TEST(PipeClientLifecycle, IdleClientEndsItsThreadWithALogLine)
{
    std::ostringstream log;
    par::getLog("app")->setStream(&log);
    {
        PipeClient client(test::uniquePipeName());
        client.start();
        Sleep(50);
    }
    par::getLog("app")->setStream(nullptr);
    EXPECT_EQ("PipeClient: finish because of stopEvent signaled.\n", log.str());
}
