#include "Bstr.h"
#include "StandInClassFactory.h"
#include "TestContainer.h"

#include "MessagePump.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <memory>

using namespace ShockwaveFlashObjects;
using standin::Bstr;
using test::ComPtr;
using test::FlashEvent;

namespace {

const wchar_t* const kPing = L"<asyncRequest id=\"ping\"/>";

// The control of this test program comes from the class linked into it.
class FlashStandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        IClassFactory* factory = standin::StandInClassFactory::create();
        const HRESULT registered = CoRegisterClassObject(
            CLSID_ShockwaveFlash, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &myRegistration);
        factory->Release();
        ASSERT_EQ(S_OK, registered);
        container = std::make_unique<test::TestContainer>();
        ASSERT_EQ(S_OK, container->embed());
        flash = container->flash();
        standIn = container->standIn();
    }

    void TearDown() override
    {
        container.reset();
        CoRevokeClassObject(myRegistration);
        OleUninitialize();
    }

    HRESULT loadMovie(const std::string& script)
    {
        const std::wstring path = folder.file(L"movie.swf");
        test::writeFile(path, script);
        return flash->put_Movie(Bstr(path).get());
    }

    bool waitForReady()
    {
        return test::pumpUntil([&] { return readyStates().size() && readyStates().back() == L"4"; },
                               5000);
    }

    std::vector<FlashEvent> events(DISPID id) const { return container->sink().ofKind(id); }

    std::vector<std::wstring> readyStates() const
    {
        std::vector<std::wstring> states;
        for (const FlashEvent& event : events(DISPID_FLASH_READYSTATECHANGE))
            states.push_back(event.args.at(0));
        return states;
    }

    // The arguments of every FSCommand with that command, in order.
    std::vector<std::wstring> fsCommandArgs(const std::wstring& command) const
    {
        std::vector<std::wstring> found;
        for (const FlashEvent& event : events(DISPID_FLASH_FSCOMMAND)) {
            if (event.args.at(0) == command)
                found.push_back(event.args.at(1));
        }
        return found;
    }

    HRESULT callFunction(const std::wstring& request, std::wstring& answer)
    {
        Bstr response;
        const HRESULT result = flash->CallFunction(Bstr(request).get(), response.out());
        answer = response.text();
        return result;
    }

    void setVariable(const std::wstring& name, const std::wstring& value)
    {
        ASSERT_EQ(S_OK, flash->SetVariable(Bstr(name).get(), Bstr(value).get()));
    }

    HWND controlWindow() const
    {
        ComPtr<IOleInPlaceObject> inPlace;
        HWND window = nullptr;
        if (SUCCEEDED(container->object()->QueryInterface(IID_IOleInPlaceObject,
                                                          reinterpret_cast<void**>(inPlace.GetAddressOf()))))
            inPlace->GetWindow(&window);
        return window;
    }

    std::unique_ptr<test::TestContainer> container;
    IShockwaveFlash* flash = nullptr;
    IFlashStandIn* standIn = nullptr;
    test::TempDir folder;

private:
    DWORD myRegistration = 0;
};

std::wstring invoke(const std::wstring& name, const std::wstring& arguments = L"")
{
    return L"<invoke name=\"" + name + L"\" returntype=\"string\">" + arguments + L"</invoke>";
}

} // namespace

// --- embedding and the event connection ---

TEST_F(FlashStandInTest, EmbedsInPlaceThroughTheSitesWithItsWindowInTheContainer)
{
    EXPECT_EQ((std::vector<std::string>{"QueryInterface(IOleInPlaceSiteEx)", "CanInPlaceActivate",
                                        "OnInPlaceActivate", "GetWindowContext", "ShowObject"}),
              container->siteCalls());
    HWND window = controlWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(container->window(), GetParent(window));
    EXPECT_TRUE(IsWindowVisible(window));
    RECT client, view;
    GetClientRect(container->window(), &client);
    GetClientRect(window, &view);
    EXPECT_EQ(client.right, view.right);
    EXPECT_EQ(client.bottom, view.bottom);
}

TEST_F(FlashStandInTest, SetObjectRectsMovesTheWindowAndCloseDestroysIt)
{
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(S_OK, container->object()->QueryInterface(IID_IOleInPlaceObject,
                                                         reinterpret_cast<void**>(inPlace.GetAddressOf())));
    const RECT rect = {10, 20, 310, 220};
    ASSERT_EQ(S_OK, inPlace->SetObjectRects(&rect, &rect));
    HWND window = controlWindow();
    RECT moved;
    GetWindowRect(window, &moved);
    MapWindowPoints(HWND_DESKTOP, container->window(), reinterpret_cast<POINT*>(&moved), 2);
    EXPECT_EQ(10, moved.left);
    EXPECT_EQ(20, moved.top);
    EXPECT_EQ(300, moved.right - moved.left);
    EXPECT_EQ(200, moved.bottom - moved.top);

    inPlace.Reset();
    container->close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ("OnInPlaceDeactivate", container->siteCalls().back());
}

TEST_F(FlashStandInTest, EventsReachTheSinkAtOnceWithArgumentsLastFirst)
{
    standIn->FireFSCommand(Bstr(L"trace").get(), Bstr(L"hello").get());
    standIn->FireReadyStateChange(3);
    standIn->FireProgress(42);
    const std::vector<FlashEvent>& fired = container->sink().events;
    ASSERT_EQ(3u, fired.size());
    EXPECT_EQ(DISPID_FLASH_FSCOMMAND, fired[0].id);
    EXPECT_EQ((std::vector<std::wstring>{L"trace", L"hello"}), fired[0].args);
    EXPECT_EQ(DISPID_FLASH_READYSTATECHANGE, fired[1].id);
    EXPECT_EQ(std::vector<std::wstring>{L"3"}, fired[1].args);
    EXPECT_EQ(DISPID_FLASH_PROGRESS, fired[2].id);
    EXPECT_EQ(std::vector<std::wstring>{L"42"}, fired[2].args);
}

TEST_F(FlashStandInTest, OnlySinksOfTheFlashEventsConnectAndUnadviseEndsTheirEvents)
{
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point, other;
    ASSERT_EQ(S_OK, container->object()->QueryInterface(IID_IConnectionPointContainer,
                                                         reinterpret_cast<void**>(points.GetAddressOf())));
    EXPECT_EQ(CONNECT_E_NOCONNECTION,
              points->FindConnectionPoint(IID_IPropertyNotifySink, other.GetAddressOf()));
    ASSERT_EQ(S_OK, points->FindConnectionPoint(DIID__IShockwaveFlashEvents, point.GetAddressOf()));

    DWORD cookie = 0;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT,
              point->Advise(static_cast<IOleClientSite*>(container.get()), &cookie));
    test::EventSink second;
    ASSERT_EQ(S_OK, point->Advise(&second, &cookie));
    standIn->FireProgress(1);
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    standIn->FireProgress(2);
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
    EXPECT_EQ(1u, second.events.size());
    EXPECT_EQ(2u, container->sink().events.size());
}

// --- the movie and its loading ---

TEST_F(FlashStandInTest, MissingOrForeignMovieFilesFailAndFireNothing)
{
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              flash->put_Movie(Bstr(folder.file(L"missing.swf")).get()));
    EXPECT_EQ(E_FAIL, loadMovie("FWS\x0a\x10\x00 a real movie is binary"));
    EXPECT_EQ(E_FAIL, loadMovie("flash-standin-movie 1\nplay\n"));
    test::pumpMessages(200);
    EXPECT_TRUE(container->sink().events.empty());
}

TEST_F(FlashStandInTest, LoadedMovieReportsItsProgressAndReadyStatesAfterPutMovieReturns)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\n"));
    long state = -1;
    flash->get_ReadyState(&state);
    EXPECT_EQ(FLASH_READYSTATE_LOADING, state);
    EXPECT_TRUE(container->sink().events.empty());

    ASSERT_TRUE(waitForReady());
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"2", L"3", L"4"}), readyStates());
    std::vector<std::wstring> progress;
    for (const FlashEvent& event : events(DISPID_FLASH_PROGRESS))
        progress.push_back(event.args.at(0));
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"50", L"100"}), progress);
    flash->get_ReadyState(&state);
    EXPECT_EQ(FLASH_READYSTATE_COMPLETE, state);
}

TEST_F(FlashStandInTest, ASecondLoadReplacesTheFirstMovieAndItsPlannedSteps)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\nfunction f <string>one</string>\n"
                              "show one\nat 100 show late one\n"));
    ASSERT_TRUE(waitForReady());
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\nshow two\n"));
    ASSERT_TRUE(test::pumpUntil([&] { return readyStates().size() == 8; }, 5000));
    test::pumpMessages(300);
    EXPECT_EQ(8u, readyStates().size());
    Bstr lines;
    standIn->GetShownLines(lines.out());
    EXPECT_EQ(L"two", lines.text());
    std::wstring answer;
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"f"), answer));
}

TEST_F(FlashStandInTest, ClosedControlFiresNothingMore)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\nshow loaded\n"));
    setVariable(L"xmlRequest", kPing);
    ASSERT_EQ(S_OK, container->object()->Close(OLECLOSE_NOSAVE));
    test::pumpMessages(300);
    EXPECT_TRUE(container->sink().events.empty());
}

TEST_F(FlashStandInTest, TimedActionsRunAfterTheirDelayInFileOrderAndWaitWhileTheMovieHangs)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\nat 300 show late\nshow now\n"
                              "at 300 fscommand late\nat 100 hang 600\n"));
    ASSERT_TRUE(waitForReady());
    const DWORD ready = GetTickCount();
    Bstr lines;
    standIn->GetShownLines(lines.out());
    EXPECT_EQ(L"now", lines.text());
    ASSERT_TRUE(test::pumpUntil([&] { return !fsCommandArgs(L"late").empty(); }, 3000));
    EXPECT_GE(GetTickCount() - ready, 650u) << "the steps due at 300 ms wait for the hang's end";
    Bstr later;
    standIn->GetShownLines(later.out());
    EXPECT_EQ(L"now\nlate", later.text());
}

// --- variables and requests ---

TEST_F(FlashStandInTest, VariableWritesAreLoggedInOrderAndReadBack)
{
    setVariable(L"a", L"1");
    setVariable(L"b", L"2");
    setVariable(L"a", L"3");
    long count = 0;
    standIn->GetVariableWriteCount(&count);
    ASSERT_EQ(3, count);
    std::vector<std::wstring> writes;
    for (long i = 0; i < count; ++i) {
        Bstr name, value;
        ASSERT_EQ(S_OK, standIn->GetVariableWrite(i, name.out(), value.out()));
        writes.push_back(name.text() + L"=" + value.text());
    }
    EXPECT_EQ((std::vector<std::wstring>{L"a=1", L"b=2", L"a=3"}), writes);
    Bstr name, value;
    EXPECT_EQ(E_INVALIDARG, standIn->GetVariableWrite(3, name.out(), value.out()));

    Bstr a, missing;
    ASSERT_EQ(S_OK, flash->GetVariable(Bstr(L"a").get(), a.out()));
    EXPECT_EQ(L"3", a.text());
    EXPECT_EQ(E_FAIL, flash->GetVariable(Bstr(L"c").get(), missing.out()));
}

TEST_F(FlashStandInTest, XmlRequestIsAnsweredLaterWithItsId)
{
    setVariable(L"xmlRequest", kPing);
    setVariable(L"xmlRequest", L"<asyncRequest id=\"a&amp;&quot;b\"><data/></asyncRequest>");
    setVariable(L"xmlRequest", L"<asyncRequest/>");
    EXPECT_TRUE(container->sink().events.empty());
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlResponse").size() == 3; }, 3000));
    EXPECT_EQ((std::vector<std::wstring>{L"<asyncResponse id=\"ping\"/>",
                                         L"<asyncResponse id=\"a&amp;&quot;b\"/>",
                                         L"<asyncResponse/>"}),
              fsCommandArgs(L"xmlResponse"));
}

TEST_F(FlashStandInTest, IgnoredIdsAndUnreadableRequestsGetNoAnswerAndAHangingMovieAnswersWhenItEnds)
{
    standIn->SetRequestIgnored(Bstr(L"suspend").get(), VARIANT_TRUE);
    setVariable(L"xmlRequest", L"<asyncRequest id=\"suspend\"/>");
    setVariable(L"xmlRequest", L"<asyncRequest id=");
    standIn->SetHang(VARIANT_TRUE);
    setVariable(L"xmlRequest", kPing);
    test::pumpMessages(300);
    EXPECT_TRUE(fsCommandArgs(L"xmlResponse").empty());
    standIn->SetHang(VARIANT_FALSE);
    standIn->SetRequestIgnored(Bstr(L"suspend").get(), VARIANT_FALSE);
    setVariable(L"xmlRequest", L"<asyncRequest id=\"resume\"/>");
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlResponse").size() == 2; }, 3000));
    test::pumpMessages(100);
    EXPECT_EQ((std::vector<std::wstring>{L"<asyncResponse id=\"ping\"/>", L"<asyncResponse id=\"resume\"/>"}),
              fsCommandArgs(L"xmlResponse"));
}

// --- the script's side of the host's conversations ---

TEST_F(FlashStandInTest, AnswersDependOnTheArgumentsAndTimeAndEventsReachTheHostsSubscriptions)
{
    ASSERT_EQ(S_OK, loadMovie(
        "flash-standin-movie 1\n"
        "function getOptionsValue(quor/ui/tray/textColor) <string>#FFFFFF</string>\n"
        "function getOptionsValue(*) <undefined/>\n"
        "function getLocaleString <string>[{1}]</string>\n"
        "function convertCwfToUserValue(temperature, *) <number>{2}</number>\n"
        "function trayGetTemperature <string>21</string>\n"
        "at 300 function trayGetTemperature <string>25</string>\n"
        "at 300 event tray handleTotalUpdate\n"
        "at 300 event weather handleTotalUpdate\n"));
    ASSERT_TRUE(waitForReady());
    std::wstring answer;
    auto string = [](const std::wstring& text) { return L"<string>" + text + L"</string>"; };
    EXPECT_EQ(S_OK, callFunction(invoke(L"getOptionsValue", L"<arguments>" + string(L"quor/ui/tray/textColor") + L"</arguments>"), answer));
    EXPECT_EQ(L"<string>#FFFFFF</string>", answer);
    EXPECT_EQ(S_OK, callFunction(invoke(L"getOptionsValue", L"<arguments>" + string(L"quor/other") + L"</arguments>"), answer));
    EXPECT_EQ(L"<undefined/>", answer);
    EXPECT_EQ(S_OK, callFunction(invoke(L"getLocaleString", L"<arguments>" + string(L" a&lt;b &amp; \"c\"\n") + L"</arguments>"), answer));
    EXPECT_EQ(L"<string>[ a&lt;b &amp; &quot;c&quot;\n]</string>", answer) << "echoed exactly, escaped";
    EXPECT_EQ(S_OK, callFunction(invoke(L"convertCwfToUserValue", L"<arguments><string>temperature</string><number>21.5000</number></arguments>"), answer));
    EXPECT_EQ(L"<number>21.5000</number>", answer);
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"convertCwfToUserValue", L"<arguments><string>pressure</string><number>1</number></arguments>"), answer))
        << "no rule matches";
    EXPECT_EQ(S_OK, callFunction(invoke(L"trayGetTemperature"), answer));
    EXPECT_EQ(L"<string>21</string>", answer);

    setVariable(L"xmlCommand", L"<root id=\"addListener\" serviceId=\"options\" uin=\"3\"/>");
    setVariable(L"xmlCommand", L"<root id=\"addListener\" serviceId=\"tray\" uin=\"4\"/>");
    setVariable(L"xmlCommand", L"<root id=\"addListener\" serviceId=\"tray\" uin=\"9\"/>");
    std::wstring temperatureAtEvent;
    container->sink().onFsCommand = [&](const std::wstring& command, const std::wstring&) {
        if (command == L"xmlCommandEvent" && temperatureAtEvent.empty())
            callFunction(invoke(L"trayGetTemperature"), temperatureAtEvent);
    };
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlCommandEvent").size() == 2; }, 3000));
    test::pumpMessages(100);
    EXPECT_EQ((std::vector<std::wstring>{L"<event uin=\"4\" serviceId=\"tray\" eventId=\"handleTotalUpdate\"/>",
                                         L"<event uin=\"9\" serviceId=\"tray\" eventId=\"handleTotalUpdate\"/>"}),
              fsCommandArgs(L"xmlCommandEvent"))
        << "every subscriber of the service, none for a service nobody subscribed";
    EXPECT_EQ(L"<string>25</string>", temperatureAtEvent);
}

TEST_F(FlashStandInTest, ReactionsAndRequestAnswersComeAfterTheWriteAndTheTranscriptRecordsEverything)
{
    ASSERT_EQ(S_OK, loadMovie(
        "flash-standin-movie 1\n"
        "transcript out.txt\n"
        "on shutdown after 200 flashcall <invoke name=\"shutdownDone\" returntype=\"xml\"><arguments></arguments></invoke>\n"
        "on active is true show \"  active\\n\"\n"
        "request suspend after 300 <asyncResponse id=\"suspend\" result=\"true\"/>\n"
        "request resume never\n"));
    ASSERT_TRUE(waitForReady());
    container->sink().onFlashCall = [&](const std::wstring&) {
        flash->SetReturnValue(Bstr(L"").get());
    };
    const DWORD start = GetTickCount();
    setVariable(L"shutdown", L"");
    EXPECT_TRUE(events(DISPID_FLASH_FLASHCALL).empty()) << "never inside the write";
    setVariable(L"active", L"false");
    setVariable(L"active", L"true");
    setVariable(L"xmlRequest", L"<asyncRequest id=\"suspend\"/>");
    setVariable(L"xmlRequest", L"<asyncRequest id=\"resume\"/>");
    setVariable(L"xmlRequest", kPing);
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlResponse").size() == 2; }, 3000));
    EXPECT_GE(GetTickCount() - start, 280u);
    test::pumpMessages(300);
    EXPECT_EQ((std::vector<std::wstring>{L"<asyncResponse id=\"ping\"/>",
                                         L"<asyncResponse id=\"suspend\" result=\"true\"/>"}),
              fsCommandArgs(L"xmlResponse"));
    ASSERT_EQ(1u, events(DISPID_FLASH_FLASHCALL).size());
    Bstr lines;
    standIn->GetShownLines(lines.out());
    EXPECT_EQ(L"  active\n", lines.text());

    // Each line: milliseconds, process, kind, fields; tabs, line breaks and
    // backslashes escaped.
    std::vector<std::vector<std::string>> entries;
    std::string text = test::readFile(folder.file(L"out.txt"));
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        std::vector<std::string> fields(1);
        for (char c : text.substr(at, end - at)) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        EXPECT_EQ(std::to_string(GetCurrentProcessId()), fields.at(1));
        entries.push_back(std::vector<std::string>(fields.begin() + 2, fields.end()));
    }
    EXPECT_EQ(at, text.size()) << "the last line is complete";
    using Entry = std::vector<std::string>;
    const std::vector<Entry> expected = {
        {"set", "shutdown", ""},
        {"set", "active", "false"},
        {"set", "active", "true"},
        {"set", "xmlRequest", "<asyncRequest id=\"suspend\"/>"},
        {"set", "xmlRequest", "<asyncRequest id=\"resume\"/>"},
        {"set", "xmlRequest", "<asyncRequest id=\"ping\"/>"},
        {"show", "  active\\n"},
        {"fscommand", "xmlResponse", "<asyncResponse id=\"ping\"/>"},
        {"flashcall", "shutdownDone", "<invoke name=\"shutdownDone\" returntype=\"xml\"><arguments></arguments></invoke>"},
        {"return", "shutdownDone", ""},
        {"fscommand", "xmlResponse", "<asyncResponse id=\"suspend\" result=\"true\"/>"},
    };
    ASSERT_GE(entries.size(), expected.size());
    EXPECT_EQ((Entry{"ready-state", "4"}), entries[entries.size() - expected.size() - 1]);
    EXPECT_EQ(expected, std::vector<Entry>(entries.end() - static_cast<std::ptrdiff_t>(expected.size()), entries.end()));
}

TEST_F(FlashStandInTest, NothingOfTheMovieRunsWhileOneOfItsOwnEventsRunsInTheHost)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\n"
                              "at 50 flashcall <invoke name=\"openFileDialog\" returntype=\"xml\"><arguments></arguments></invoke>\n"
                              "at 100 show timed\n"));
    ASSERT_TRUE(waitForReady());
    size_t responsesInside = 99;
    std::wstring linesInside = L"?";
    container->sink().onFlashCall = [&](const std::wstring&) {
        setVariable(L"xmlRequest", kPing);
        // The host's modal loop (a file dialog, say) dispatches the movie's messages too.
        test::pumpMessages(500);
        responsesInside = fsCommandArgs(L"xmlResponse").size();
        Bstr lines;
        standIn->GetShownLines(lines.out());
        linesInside = lines.text();
    };
    ASSERT_TRUE(test::pumpUntil([&] { return responsesInside != 99; }, 3000));
    EXPECT_EQ(0u, responsesInside) << "no answer to a ping while the movie waits for the host";
    EXPECT_EQ(L"", linesInside);
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlResponse").size() == 1; }, 3000));
    Bstr lines;
    standIn->GetShownLines(lines.out());
    EXPECT_EQ(L"timed", lines.text());
}

TEST_F(FlashStandInTest, EagerWriteWaitsForTheMoviesOwnEventAndForWhatIsAlreadyDue)
{
    container.reset();
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", L"set");
    container = std::make_unique<test::TestContainer>();
    const HRESULT embedded = container->embed();
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", nullptr);
    ASSERT_EQ(S_OK, embedded);
    flash = container->flash();
    standIn = container->standIn();
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\n"));
    ASSERT_TRUE(waitForReady());

    size_t answersInside = 99;
    container->sink().onFlashCall = [&](const std::wstring&) {
        setVariable(L"xmlRequest", kPing);
        answersInside = fsCommandArgs(L"xmlResponse").size();
    };
    Bstr ignored;
    standIn->FireFlashCall(Bstr(invoke(L"openFileDialog")).get(), ignored.out());
    EXPECT_EQ(0u, answersInside) << "the movie's code waits for the host to return";
    setVariable(L"xmlRequest", L"<asyncRequest id=\"later\"/>");
    EXPECT_TRUE(fsCommandArgs(L"xmlResponse").empty()) << "not ahead of the answer already due";
    ASSERT_TRUE(test::pumpUntil([&] { return fsCommandArgs(L"xmlResponse").size() == 2; }, 3000));
    EXPECT_EQ((std::vector<std::wstring>{L"<asyncResponse id=\"ping\"/>", L"<asyncResponse id=\"later\"/>"}),
              fsCommandArgs(L"xmlResponse"));
}

// --- ExternalInterface calls ---

TEST_F(FlashStandInTest, CallFunctionAnswersTheValueSetForTheFunctionAndLogsTheCall)
{
    standIn->SetFunctionAnswer(Bstr(L"getLocaleString").get(), Bstr(L"<string>Exit</string>").get());
    const std::wstring request = invoke(L"getLocaleString", L"<arguments><string>IDS_EXIT</string></arguments>");
    std::wstring answer;
    ASSERT_EQ(S_OK, callFunction(request, answer));
    EXPECT_EQ(L"<string>Exit</string>", answer);

    long count = 0;
    standIn->GetFunctionCallCount(&count);
    ASSERT_EQ(1, count);
    Bstr name, logged;
    standIn->GetFunctionCall(0, name.out(), logged.out());
    EXPECT_EQ(L"getLocaleString", name.text());
    EXPECT_EQ(request, logged.text());
}

TEST_F(FlashStandInTest, UnknownFailingMalformedAndHungCallsFail)
{
    standIn->SetFunctionAnswer(Bstr(L"f").get(), Bstr(L"<true/>").get());
    standIn->SetFunctionFailure(Bstr(L"g").get(), DISP_E_EXCEPTION);
    EXPECT_EQ(E_INVALIDARG, standIn->SetFunctionFailure(Bstr(L"h").get(), S_FALSE));
    std::wstring answer;
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"unknown"), answer));
    EXPECT_EQ(DISP_E_EXCEPTION, callFunction(invoke(L"g"), answer));
    EXPECT_EQ(E_FAIL, callFunction(L"<invoke name=\"f\" returntype=\"string\"><arguments>a & b</arguments></invoke>", answer));
    EXPECT_EQ(E_FAIL, callFunction(L"<call name=\"f\"/>", answer));
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"f", L" <arguments><string>a</string></arguments>"), answer));
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"f", L"<arguments><string>a</string>\n</arguments>"), answer));
    EXPECT_EQ(S_OK, callFunction(invoke(L"f", L"<arguments><string> a </string></arguments>"), answer))
        << "blanks inside a string are its text";
    standIn->SetHang(VARIANT_TRUE);
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"f"), answer));
    EXPECT_TRUE(answer.empty());

    long count = 0;
    standIn->GetFunctionCallCount(&count);
    EXPECT_EQ(8, count) << "every call is logged";
    Bstr name, request;
    standIn->GetFunctionCall(3, name.out(), request.out());
    EXPECT_EQ(L"", name.text()) << "a call that does not decode has no name";
}

TEST_F(FlashStandInTest, CallbacksReachTheHostBeforeTheAnswerAndMayCallIn)
{
    standIn->SetFunctionAnswer(Bstr(L"outer").get(), Bstr(L"<string>outer</string>").get());
    standIn->SetFunctionAnswer(Bstr(L"inner").get(), Bstr(L"<number>2</number>").get());
    const std::wstring callback = L"<invoke name=\"getRole\" returntype=\"xml\"><arguments></arguments></invoke>";
    standIn->AddFunctionCallback(Bstr(L"outer").get(), Bstr(callback).get());
    std::wstring innerAnswer;
    container->sink().onFlashCall = [&](const std::wstring&) {
        ASSERT_EQ(S_OK, callFunction(invoke(L"inner"), innerAnswer));
        flash->SetReturnValue(Bstr(L"<string>app</string>").get());
    };
    std::wstring answer;
    ASSERT_EQ(S_OK, callFunction(invoke(L"outer"), answer));
    EXPECT_EQ(L"<string>outer</string>", answer);
    EXPECT_EQ(L"<number>2</number>", innerAnswer);
    ASSERT_EQ(1u, events(DISPID_FLASH_FLASHCALL).size());
    EXPECT_EQ(callback, events(DISPID_FLASH_FLASHCALL)[0].args.at(0));
    Bstr returned;
    ASSERT_EQ(S_OK, standIn->GetReturnValue(0, returned.out()));
    EXPECT_EQ(L"<string>app</string>", returned.text());
}

TEST_F(FlashStandInTest, FlashCallAnswersWhatTheHostHandedToSetReturnValue)
{
    container->sink().onFlashCall = [&](const std::wstring& request) {
        flash->SetReturnValue(Bstr(L"<string>" + request.substr(14, 3) + L"</string>").get());
    };
    Bstr answer;
    ASSERT_EQ(S_OK, standIn->FireFlashCall(Bstr(L"<invoke name=\"abc\"/>").get(), answer.out()));
    EXPECT_EQ(L"<string>abc</string>", answer.text());

    container->sink().onFlashCall = nullptr;
    Bstr none;
    EXPECT_EQ(S_FALSE, standIn->FireFlashCall(Bstr(L"<invoke name=\"x\"/>").get(), none.out()));
    EXPECT_EQ(nullptr, none.get());
    long count = 0;
    standIn->GetReturnValueCount(&count);
    EXPECT_EQ(1, count);
}

TEST_F(FlashStandInTest, NestedFlashCallsKeepTheirOwnReturnValues)
{
    Bstr innerAnswer;
    container->sink().onFlashCall = [&](const std::wstring& request) {
        if (request == L"outer")
            standIn->FireFlashCall(Bstr(L"inner").get(), innerAnswer.out());
        else
            flash->SetReturnValue(Bstr(L"<true/>").get());
    };
    Bstr outerAnswer;
    EXPECT_EQ(S_FALSE, standIn->FireFlashCall(Bstr(L"outer").get(), outerAnswer.out()));
    EXPECT_EQ(L"<true/>", innerAnswer.text());
}

// --- the window ---

TEST_F(FlashStandInTest, WindowPaintsTheBackgroundColourAndTheMovieText)
{
    ASSERT_EQ(S_OK, loadMovie("flash-standin-movie 1\nshow Sunny\n"));
    ASSERT_TRUE(waitForReady());
    HWND window = controlWindow();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    auto paint = [&] { SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT); };
    auto inkedPixels = [&](int top, int bottom) {
        const COLORREF background = GetPixel(memory, 1, 1);
        int inked = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 300; ++x)
                inked += GetPixel(memory, x, y) != background;
        return inked;
    };

    ASSERT_EQ(S_OK, flash->put_BGColor(Bstr(L"#FF0000").get()));
    paint();
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(memory, 1, 1));
    EXPECT_GT(inkedPixels(0, 25), 0) << "the title";
    EXPECT_GT(inkedPixels(25, 60), 0) << "the movie's line";
    ASSERT_EQ(S_OK, flash->put_BackgroundColor(0x0000FF));
    paint();
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(memory, 1, 1));
    EXPECT_EQ(E_INVALIDARG, flash->put_BGColor(Bstr(L"red").get()));
    EXPECT_EQ(E_INVALIDARG, flash->put_BackgroundColor(0x1000000));
    paint();
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(memory, 1, 1));

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// --- the example movie ---

TEST_F(FlashStandInTest, ExampleMoviePlays)
{
    std::wstring path = L"Z:" + std::wstring(FLASH_STANDIN_EXAMPLE, FLASH_STANDIN_EXAMPLE + sizeof FLASH_STANDIN_EXAMPLE - 1);
    for (wchar_t& c : path)
        c = c == L'/' ? L'\\' : c;
    container->sink().onFlashCall = [&](const std::wstring&) {
        flash->SetReturnValue(Bstr(L"<string>app</string>").get());
    };
    ASSERT_EQ(S_OK, flash->put_Movie(Bstr(path).get()));
    ASSERT_TRUE(waitForReady());

    Bstr lines;
    standIn->GetShownLines(lines.out());
    EXPECT_EQ(L"Skyvane example movie\nSunny, 21 degrees", lines.text());
    std::vector<std::wstring> commands;
    for (const FlashEvent& event : events(DISPID_FLASH_FSCOMMAND))
        commands.push_back(event.args.at(0));
    EXPECT_EQ((std::vector<std::wstring>{L"parProgramReady", L"quorReady"}), commands);
    ASSERT_EQ(1u, events(DISPID_FLASH_FLASHCALL).size());
    EXPECT_EQ(0u, events(DISPID_FLASH_FLASHCALL)[0].args.at(0).find(L"<invoke name=\"getRole\""));

    std::wstring answer;
    EXPECT_EQ(S_OK, callFunction(invoke(L"trayGetTemperature"), answer));
    EXPECT_EQ(L"<string>21</string>", answer);
    EXPECT_EQ(2u, events(DISPID_FLASH_FLASHCALL).size()) << "the function's callback";
    EXPECT_EQ(E_FAIL, callFunction(invoke(L"hackSaveOptions"), answer));

    setVariable(L"xmlRequest", L"<asyncRequest id=\"neverAnswered\"/>");
    setVariable(L"xmlRequest", kPing);
    ASSERT_TRUE(test::pumpUntil([&] { return !fsCommandArgs(L"partrace").empty(); }, 5000));
    EXPECT_EQ(std::vector<std::wstring>{L"<asyncResponse id=\"ping\"/>"}, fsCommandArgs(L"xmlResponse"));
    Bstr later;
    standIn->GetShownLines(later.out());
    EXPECT_EQ(L"Skyvane example movie\nSunny, 21 degrees\nStill running one second later", later.text());
}
