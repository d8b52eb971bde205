#include "SwfWindowTestBase.h"

#include "LogCapture.h"
#include "MessagePump.h"

namespace {

using test::RequestFate;
using test::TrackedRequest;

class MovieMessagingTest : public test::SwfWindowTestBase {
protected:
    // Pumps until the movie's answers have arrived.
    bool waitFor(const RequestFate& fate, int completed = 1)
    {
        return test::pumpUntil([&] { return fate.completed >= completed; }, 5000);
    }

    test::LogCapture appLog{"app"};
};

TEST_F(MovieMessagingTest, VariablesTravelInTheAnsiCodePage)
{
    ASSERT_EQ(1252u, GetACP());
    EXPECT_EQ(0, window->setVariable("caf\xE9", "\x80 5"));
    const std::vector<std::wstring> values = variableValues(L"caf\u00E9");
    ASSERT_EQ(1u, values.size());
    EXPECT_EQ(L"\u20AC 5", values[0]);
}

TEST_F(MovieMessagingTest, XmlVariablesReachTheMovieWithPlainLineFeeds)
{
    IXMLDOMDocument2Ptr document = par::createXmlDocument("root");
    IXMLDOMElementPtr root;
    document->get_documentElement(&root);
    par::appendChildElement(root, L"child");
    IXMLDOMText* text = nullptr;
    document->createTextNode(_bstr_t(L"one\r\ntwo"), &text);
    IXMLDOMNodePtr appended;
    root->appendChild(text, &appended);
    text->Release();

    window->sendXmlCommand(document);
    const std::vector<std::wstring> values = variableValues(L"xmlCommand");
    ASSERT_EQ(1u, values.size());
    EXPECT_EQ(std::wstring::npos, values[0].find(L'\r'));
    EXPECT_NE(std::wstring::npos, values[0].find(L"one\ntwo"));
    EXPECT_EQ(0u, values[0].find(L"<root><child/>"));
}

TEST_F(MovieMessagingTest, RequestIsWrittenAndCompletedByTheMoviesAnswer)
{
    RequestFate fate;
    window->sendXmlRequest(new TrackedRequest("suspend", fate));
    const std::vector<std::wstring> written = variableValues(L"xmlRequest");
    ASSERT_EQ(1u, written.size());
    EXPECT_EQ(0u, written[0].find(L"<asyncRequest id=\"suspend\"/>"));

    ASSERT_TRUE(waitFor(fate));
    EXPECT_EQ(L"<asyncResponse id=\"suspend\"/>", fate.answer);
    EXPECT_EQ(1, fate.deleted);
    EXPECT_EQ("", appLog.text());
}

TEST_F(MovieMessagingTest, AnswerWithoutIdIsLoggedAndChangesNothing)
{
    RequestFate fate;
    standIn->SetRequestIgnored(_bstr_t(L"resume"), VARIANT_TRUE);
    window->sendXmlRequest(new TrackedRequest("resume", fate));
    fireFsCommand(L"xmlResponse", L"<asyncResponse/>");
    EXPECT_EQ("SwfWindow::onXmlResponse(), id is undefined\n", appLog.text());

    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"resume\"/>");
    EXPECT_EQ(1, fate.completed);
}

TEST_F(MovieMessagingTest, AnswerForAnUnknownIdIsLoggedAndLeavesPendingRequests)
{
    RequestFate fate;
    standIn->SetRequestIgnored(_bstr_t(L"resume"), VARIANT_TRUE);
    window->sendXmlRequest(new TrackedRequest("resume", fate));
    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"never\"/>");
    EXPECT_EQ("SwfWindow::onXmlResponse(), request not found, id=never\n", appLog.text());
    EXPECT_EQ(0, fate.completed);

    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"resume\"/>");
    EXPECT_EQ(1, fate.completed);
    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"resume\"/>");
    EXPECT_EQ(1, fate.completed);
    EXPECT_EQ(1, appLog.count("request not found, id=resume"));
}

TEST_F(MovieMessagingTest, RequestSentAgainUnderAPendingIdDropsTheOlderOne)
{
    RequestFate older;
    RequestFate newer;
    standIn->SetRequestIgnored(_bstr_t(L"ping"), VARIANT_TRUE);
    window->sendXmlRequest(new TrackedRequest("ping", older));
    window->sendXmlRequest(new TrackedRequest("ping", newer));
    EXPECT_EQ(1, older.deleted);

    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"ping\"/>");
    EXPECT_EQ(0, older.completed);
    EXPECT_EQ(1, newer.completed);
    EXPECT_EQ(1, newer.deleted);
}

TEST_F(MovieMessagingTest, RequestThatCannotBeWrittenIsDroppedAndNoLaterAnswerFindsIt)
{
    RequestFate fate;
    standIn->SetVariableFailure(_bstr_t(L"xmlRequest"), E_FAIL);
    EXPECT_THROW(window->sendXmlRequest(new TrackedRequest("suspend", fate)), _com_error);
    EXPECT_EQ(1, fate.deleted);

    fireFsCommand(L"xmlResponse", L"<asyncResponse id=\"suspend\"/>");
    EXPECT_EQ(0, fate.completed);
    EXPECT_EQ("SwfWindow::onXmlResponse(), request not found, id=suspend\n", appLog.text());
}

TEST_F(MovieMessagingTest, RequestMayFileASuccessorUnderItsOwnIdWhileAnswered)
{
    RequestFate first;
    RequestFate second;
    auto* request = new TrackedRequest("poll", first);
    request->onAnswered = [&] { window->sendXmlRequest(new TrackedRequest("poll", second)); };
    window->sendXmlRequest(request);

    ASSERT_TRUE(waitFor(second));
    EXPECT_EQ(1, first.completed);
    EXPECT_EQ(1, first.deleted);
    EXPECT_EQ(1, second.deleted);
    EXPECT_EQ(2u, variableValues(L"xmlRequest").size());
}

} // namespace
