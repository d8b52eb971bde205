#include "NativeApiTestBase.h"

#include "Bstr.h"
#include "CountingServer.h"
#include "LogCapture.h"
#include "MessagePump.h"
#include "PollUntil.h"

#include "util/StringUtil.h"

#include <tlhelp32.h>

#include <algorithm>
#include <set>

using standin::Bstr;

namespace {

std::set<DWORD> threadsOfThisProcess()
{
    std::set<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            threads.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return threads;
}

class ServerWatchingTest : public test::NativeApiTestBase {
protected:
    void SetUp() override
    {
        test::NativeApiTestBase::SetUp();
        standIn->SetFunctionAnswer(Bstr(L"handleServerConnectionStateChange").get(), Bstr(L"<undefined/>").get());
    }

    // The arguments of every "handleServerConnectionStateChange" the movie got.
    std::vector<std::wstring> reports() const
    {
        std::vector<std::wstring> found;
        for (const std::wstring& request : functionRequests()) {
            if (request.find(L"name=\"handleServerConnectionStateChange\"") == std::wstring::npos)
                continue;
            const std::wstring::size_type start = request.find(L"<arguments>") + 11;
            found.push_back(request.substr(start, request.find(L"</arguments>") - start));
        }
        return found;
    }

    static std::wstring report(const std::string& url, const std::wstring& state)
    {
        return L"<string>" + par::toWide(url) + L"</string><string>" + state + L"</string>";
    }

    bool waitForReports(size_t count)
    {
        return test::pumpUntil([&] { return reports().size() >= count; }, 10000);
    }
};

TEST_F(ServerWatchingTest, EachWatchedAddressIsReportedToTheMovieWithItsState)
{
    test::CountingServer server;
    const std::string closed = test::closedPortUrl();
    EXPECT_EQ(L"", fireCall(L"addServerWatcher", {par::toWide(server.url())}));
    fireCall(L"addServerWatcher", {par::toWide(closed)});
    ASSERT_TRUE(waitForReports(2));
    test::pumpMessages(100);
    const std::vector<std::wstring> found = reports();
    EXPECT_EQ(2u, found.size());
    EXPECT_NE(found.end(), std::find(found.begin(), found.end(), report(server.url(), L"connected")));
    EXPECT_NE(found.end(), std::find(found.begin(), found.end(), report(closed, L"disconnected")));
    EXPECT_EQ(L"<string>connected</string>", fireCall(L"getServerConnectionState", {par::toWide(server.url())}));
    EXPECT_EQ(L"<string>disconnected</string>", fireCall(L"getServerConnectionState", {par::toWide(closed)}));
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(ServerWatchingTest, OneWatcherPerAddressProbesOnUpdateAndReportsOnlyChanges)
{
    test::CountingServer server;
    const std::wstring url = par::toWide(server.url());
    test::LogCapture log{"app"};
    fireCall(L"addServerWatcher", {url});
    fireCall(L"addServerWatcher", {url});
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(L"", fireCall(L"updateServerConnectionState", {url}));
    ASSERT_TRUE(test::pumpUntil([&] { return server.accepted() >= 2; }, 10000));
    test::pumpMessages(200);
    EXPECT_EQ(2, server.accepted()) << "one watcher, probed twice";
    EXPECT_EQ(1u, reports().size());

    fireCall(L"removeServerWatcher", {L"http://127.0.0.1:1/never"});
    fireCall(L"updateServerConnectionState", {L"http://127.0.0.1:1/never"});
    EXPECT_EQ(L"<undefined/>", fireCall(L"getServerConnectionState", {L"http://127.0.0.1:1/never"}));
    EXPECT_EQ("addWatcher(), watcher already added, url: \"" + server.url() + "\", skipped\n"
              "removeWatcher(), watcher not found, url: \"http://127.0.0.1:1/never\", skipped\n"
              "update(), ServerConnectionWatcher not found\n",
              log.text());
    EXPECT_EQ(L"<string>connected</string>", fireCall(L"getServerConnectionState", {url}));
}

TEST_F(ServerWatchingTest, RemovedWatcherIsForgottenAndMayBeAddedAgain)
{
    test::CountingServer server;
    const std::wstring url = par::toWide(server.url());
    fireCall(L"addServerWatcher", {url});
    ASSERT_TRUE(waitForReports(1));

    const DWORD start = GetTickCount();
    EXPECT_EQ(L"", fireCall(L"removeServerWatcher", {url}));
    EXPECT_LE(GetTickCount() - start, 2500u);
    EXPECT_EQ(L"<undefined/>", fireCall(L"getServerConnectionState", {url}));

    fireCall(L"addServerWatcher", {url});
    ASSERT_TRUE(waitForReports(2)) << "a new watcher starts pending and reports its first probe";
    EXPECT_EQ(report(server.url(), L"connected"), reports()[1]);
}

TEST_F(ServerWatchingTest, DestroyingTheWindowEndsTheThreadsOfItsWatchers)
{
    test::CountingServer server;
    const std::set<DWORD> before = threadsOfThisProcess();
    fireCall(L"addServerWatcher", {par::toWide(server.url())});
    fireCall(L"addServerWatcher", {par::toWide(test::closedPortUrl())});
    std::vector<HANDLE> started;
    for (DWORD id : threadsOfThisProcess()) {
        if (!before.count(id))
            started.push_back(OpenThread(SYNCHRONIZE, FALSE, id));
    }
    destroyWindow();
    // A thread that has confirmed its stop may still be on its way out.
    int ended = 0;
    test::pollUntil(
        [&] {
            ended = 0;
            for (HANDLE thread : started)
                ended += WaitForSingleObject(thread, 0) == WAIT_OBJECT_0 ? 1 : 0;
            return ended >= 2;
        },
        10000, 10);
    for (HANDLE thread : started)
        CloseHandle(thread);
    EXPECT_GE(ended, 2) << "both watcher threads";
    test::pumpMessages(200);
}

} // namespace
