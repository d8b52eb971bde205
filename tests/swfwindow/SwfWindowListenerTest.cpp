#include "SwfWindowTestBase.h"

#include "swfwindow/CommandEventManager.h"
#include "swfwindow/InfiniteLoopMonitor.h"

#include "Bstr.h"
#include "LogCapture.h"
#include "MessagePump.h"
#include "TempDir.h"

#include "util/StringUtil.h"

using standin::Bstr;
using namespace ShockwaveFlashObjects;

namespace {

class SwfWindowListenerTest : public test::SwfWindowTestBase {
protected:
    void SetUp() override
    {
        test::SwfWindowTestBase::SetUp();
        window->addListener(&first, false);
    }

    // The event sink as the control found it: through the client site.
    test::ComPtr<IDispatch> sink()
    {
        test::ComPtr<IOleObject> object;
        window->getFlash()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.GetAddressOf()));
        test::ComPtr<IOleClientSite> site;
        object->GetClientSite(site.GetAddressOf());
        test::ComPtr<IDispatch> events;
        site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(events.GetAddressOf()));
        return events;
    }

    HRESULT invoke(DISPID id, std::vector<VARIANTARG> args)
    {
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        return sink()->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    static VARIANTARG longArgument(long value)
    {
        VARIANTARG argument;
        VariantInit(&argument);
        argument.vt = VT_I4;
        argument.lVal = value;
        return argument;
    }

    test::LogCapture appLog{"app"};
    test::RecordingListener first;
    test::RecordingListener second;
};

// Fills the response it is offered, as a listener that answers at once.
class AnsweringListener : public SwfWindow::Listener {
public:
    void onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr, IXMLDOMDocument2Ptr response) override
    {
        IXMLDOMElementPtr root;
        response->get_documentElement(&root);
        par::setXmlAttribute(root, "result", "true");
        if (fail)
            _com_issue_error(E_ACCESSDENIED);
        source->setXmlVariable("xmlResponse", response);
    }
    bool fail = false;
};

class ThrowingListener : public SwfWindow::Listener {
public:
    void onFsCommand(SwfWindow*, const std::wstring&, const std::wstring&) override
    {
        _com_issue_error(E_OUTOFMEMORY);
    }
    std::wstring onExternalCall(SwfWindow*, const std::wstring&, const std::vector<std::wstring>&) override
    {
        throw "listener failure";
    }
};

class RecordingCommandListener : public swfWindow::CommandEventManager::Listener {
public:
    void handleCommandEvent(const std::string& uin, const std::string& serviceId,
                            const std::string& eventId, IXMLDOMDocument2Ptr) override
    {
        events.push_back(uin + " " + serviceId + " " + eventId);
    }
    std::vector<std::string> events;
};

TEST_F(SwfWindowListenerTest, FlashCallIsDecodedAndOfferedToEveryListener)
{
    window->addListener(&second, false);
    fireFlashCall(L"<invoke name=\"getSettings\" returntype=\"xml\"><arguments><string>a</string><true/>"
                  L"<number>3</number><null/>text<false/><string>null</string><object><property id=\"p\">"
                  L"<string>deep</string></property></object></arguments></invoke>");
    const std::vector<std::wstring> expected = {
        L"call getSettings [a] [true] [3] [] [false] [null] [deep]"};
    EXPECT_EQ(expected, first.calls);
    EXPECT_EQ(expected, second.calls);
    EXPECT_EQ(window.get(), first.sources.at(0));
}

TEST_F(SwfWindowListenerTest, LastListenersAnswerReachesTheMovieEvenWhenEmpty)
{
    window->addListener(&second, false);
    first.answer = [](const std::wstring&, const std::vector<std::wstring>&) { return L"<string>first</string>"; };
    EXPECT_EQ(L"", fireFlashCall(L"<invoke name=\"f\"><arguments/></invoke>"));

    second.answer = [](const std::wstring&, const std::vector<std::wstring>&) { return L"<string>a<b</string>"; };
    EXPECT_EQ(L"<string>a<b</string>", fireFlashCall(L"<invoke name=\"f\"><arguments/></invoke>"));
}

TEST_F(SwfWindowListenerTest, CallThatNobodyKnowsIsAnsweredWithTheEmptyText)
{
    EXPECT_EQ(L"", fireFlashCall(L"not a call document"));
    EXPECT_EQ(std::vector<std::wstring>{L"call "}, first.calls);
    EXPECT_EQ(std::vector<std::wstring>{L""}, returnValues());
}

TEST_F(SwfWindowListenerTest, FsCommandsGoToTheListenersWithTheirArguments)
{
    fireFsCommand(L"quorReady", L"now");
    fireFsCommand(L"XmlCommand", L"<root/>");
    const std::vector<std::wstring> expected = {L"fscommand quorReady now",
                                                L"fscommand XmlCommand <root/>"};
    EXPECT_EQ(expected, first.calls);
}

TEST_F(SwfWindowListenerTest, TraceIsSwallowed)
{
    fireFsCommand(L"trace", L"anything");
    EXPECT_TRUE(first.calls.empty());
    EXPECT_EQ("", appLog.text());
}

TEST_F(SwfWindowListenerTest, ParTraceGoesToTheLogAsSevereOnlyWhenMarked)
{
    test::LogCapture severe{"app", par::Log::LEVEL_SEVERE};
    fireFsCommand(L"partrace", L"loading [SEVERE] failed");
    fireFsCommand(L"partrace", L"loaded");
    EXPECT_EQ("[FLASH] loading [SEVERE] failed\n", severe.text());

    test::LogCapture info{"app", par::Log::LEVEL_INFO};
    fireFsCommand(L"partrace", L"loaded");
    EXPECT_EQ("[FLASH] loaded\n", info.text());
    EXPECT_TRUE(first.calls.empty());
}

TEST_F(SwfWindowListenerTest, ProgramReadyStartsTheHangMonitorAndReachesTheListeners)
{
    EXPECT_FALSE(window->getInfiniteLoopMonitor()->isEnabled());
    fireFsCommand(L"parProgramReady", L"");
    EXPECT_TRUE(window->getInfiniteLoopMonitor()->isEnabled());
    EXPECT_EQ(std::vector<std::wstring>{L"fscommand parProgramReady "}, first.calls);
}

TEST_F(SwfWindowListenerTest, XmlCommandReachesTheListenersAsADocument)
{
    fireFsCommand(L"xmlCommand", L"<root id=\"options\"><a/></root>");
    fireFsCommand(L"xmlCommand", L"not xml");
    const std::vector<std::wstring> expected = {L"xmlCommand <root id=\"options\"><a/></root>",
                                                L"xmlCommand "};
    EXPECT_EQ(expected, first.calls);
}

TEST_F(SwfWindowListenerTest, CommandEventReachesTheListenerOfItsUin)
{
    RecordingCommandListener commands;
    window->getCommandEventManager()->addListener(&commands, "tray", nullptr);
    const std::wstring uin = variableValues(L"xmlCommand").at(0);
    IXMLDOMDocument2Ptr command = test::parseXml(uin);
    IXMLDOMElementPtr root;
    command->get_documentElement(&root);
    const std::string number = par::getXmlAttribute(root, "uin");

    fireFsCommand(L"xmlCommandEvent", par::toWide("<event uin=\"" + number +
                                                  "\" serviceId=\"tray\" eventId=\"changed\"/>"));
    EXPECT_EQ(std::vector<std::string>{number + " tray changed"}, commands.events);
    EXPECT_TRUE(first.calls.empty());
}

TEST_F(SwfWindowListenerTest, LoadingMovieReportsReadyStatesAndProgress)
{
    test::TempDir folder;
    const std::wstring path = folder.file(L"movie.swf");
    test::writeFile(path, "flash-standin-movie 1\nfscommand quorReady\n");
    ASSERT_EQ(S_OK, window->getFlash()->put_Movie(Bstr(path).get()));
    ASSERT_TRUE(test::pumpUntil([&] { return first.calls.size() >= 8; }, 5000));
    const std::vector<std::wstring> expected = {
        L"readyState 0", L"progress 0",   L"progress 50",   L"progress 100",
        L"readyState 2", L"readyState 3", L"readyState 4", L"fscommand quorReady "};
    EXPECT_EQ(expected, first.calls);
    for (SwfWindow* source : first.sources)
        EXPECT_EQ(window.get(), source);
}

TEST_F(SwfWindowListenerTest, EventsWithAWrongParameterCountAreSkipped)
{
    EXPECT_EQ(S_OK, invoke(DISPID_FLASH_PROGRESS, {longArgument(1), longArgument(2)}));
    EXPECT_EQ(S_OK, invoke(DISPID_FLASH_READYSTATECHANGE, {}));
    EXPECT_EQ("Unexpected number of parameters (!=1) passed to OnProgress(), n = 2\nEvent skipped.\n"
              "Unexpected number of parameters (!=1) passed to OnReadyStateChanged(), n = 0\nEvent skipped.\n",
              appLog.text());
    EXPECT_TRUE(first.calls.empty());
}

TEST_F(SwfWindowListenerTest, MissingTextArgumentsReadAsEmpty)
{
    VARIANTARG number = longArgument(5);
    EXPECT_EQ(S_OK, invoke(DISPID_FLASH_FSCOMMAND, {number}));
    EXPECT_EQ(S_OK, invoke(DISPID_FLASH_FLASHCALL, {}));
    const std::vector<std::wstring> expected = {L"fscommand  ", L"call "};
    EXPECT_EQ(expected, first.calls);
}

TEST_F(SwfWindowListenerTest, UnknownEventsAndInterfacesAreRefused)
{
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(-1234, {}));
    IUnknown* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, sink()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&other)));
    EXPECT_EQ(E_NOTIMPL, sink()->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr));
    EXPECT_EQ("Unrecognized dispIdMember=-1234\nSwfWindowListener didn't return requested interface.\n"
              "GetIDsOfNames not implemented\n",
              appLog.text());
}

TEST_F(SwfWindowListenerTest, FailingListenerIsLoggedAndDoesNotReachTheControl)
{
    ThrowingListener throwing;
    window->addListener(&throwing, false);
    fireFsCommand(L"anything", L"");
    EXPECT_EQ(std::nullopt, fireFlashCall(L"<invoke name=\"f\"/>"));
    EXPECT_EQ(1, appLog.count("SwfWindowListener::Invoke() interrupted with com-error, dispIdMember=150\n"
                              "COM Error...\nCode = 0x8007000e\n"));
    EXPECT_EQ(1, appLog.count("SwfWindowListener::Invoke() interrupted with exception, dispIdMember=197\n"));
    destroyWindow();
}

TEST_F(SwfWindowListenerTest, MovieRequestIsOfferedWithAPreparedResponse)
{
    fireFsCommand(L"xmlRequest", L"<locate id=\"location\" uin=\"17\"><timeout/></locate>");
    ASSERT_EQ(std::vector<std::wstring>{L"xmlRequest <locate id=\"location\" uin=\"17\"><timeout/></locate>"},
              first.calls);
    EXPECT_EQ(L"<asyncResponse id=\"location\" uin=\"17\" result=\"false\"/>", test::xmlText(first.lastResponse));
    EXPECT_TRUE(variableValues(L"xmlResponse").empty());
    EXPECT_EQ("", appLog.text());

    window->setXmlVariable("xmlResponse", first.lastResponse);
    EXPECT_EQ(1u, variableValues(L"xmlResponse").size());
}

TEST_F(SwfWindowListenerTest, MovieRequestTextIsCheckedFirst)
{
    fireFsCommand(L"xmlRequest", L"");
    fireFsCommand(L"xmlRequest", L"<broken");
    EXPECT_TRUE(first.calls.empty());
    fireFsCommand(L"xmlRequest", L"<r id=\"a\">x&nbsp;y&nbsp;</r>");
    EXPECT_EQ(std::vector<std::wstring>{L"xmlRequest <r id=\"a\">x y </r>"}, first.calls);
    EXPECT_EQ("PROGRAM FAILURE, xmlRequest body is empty xml=\"\", response will not be sent\n"
              "xmlRequest, XML parse failed, async operation will not complete\n"
              "xmlRequest, &nbsp; inside input XML\n",
              appLog.text());
}

TEST_F(SwfWindowListenerTest, MovieRequestWhoseListenerFailsIsAnsweredAsItStands)
{
    AnsweringListener answering;
    answering.fail = true;
    window->addListener(&answering, false);
    fireFsCommand(L"xmlRequest", L"<r id=\"saveThing\" uin=\"3\"/>");
    const std::vector<std::wstring> responses = variableValues(L"xmlResponse");
    ASSERT_EQ(1u, responses.size());
    EXPECT_EQ(0u, responses[0].find(L"<asyncResponse id=\"saveThing\" uin=\"3\" result=\"true\"/>"));
    EXPECT_EQ(0u, appLog.text().find("SwfWindowListener::onXmlRequest() interrupted with com-error\n"
                                     "id: \"saveThing\" uin:\"3\"\nCOM Error...\nCode = 0x80070005\n"));
    destroyWindow();
}

} // namespace
