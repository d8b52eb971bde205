#include "SwfWindowTestBase.h"

#include "LogCapture.h"

namespace {

class ExternalInterfaceCallTest : public test::SwfWindowTestBase {
protected:
    void answer(const std::wstring& function, const std::wstring& value)
    {
        standIn->SetFunctionAnswer(_bstr_t(function.c_str()), _bstr_t(value.c_str()));
    }

    std::wstring lastRequest() const
    {
        const std::vector<std::wstring> requests = functionRequests();
        return requests.empty() ? L"" : requests.back();
    }

    test::LogCapture appLog{"app"};
    test::RecordingListener listener;
};

TEST_F(ExternalInterfaceCallTest, ArgumentsTravelAsStringsWithUndefinedForEmptyOnes)
{
    answer(L"f", L"<undefined/>");
    const wchar_t* const args[] = {L"a", L"", L"b"};
    EXPECT_TRUE(window->callFunction(L"f", args, 3));
    EXPECT_EQ(L"<invoke name=\"f\" returntype=\"string\"><arguments><string>a</string>"
              L"<undefined/><string>b</string></arguments></invoke>",
              lastRequest());
}

TEST_F(ExternalInterfaceCallTest, CallsWithoutArgumentsHaveNoArgumentsElement)
{
    answer(L"f", L"<undefined/>");
    std::wstring result;
    EXPECT_TRUE(window->callFunction(L"f"));
    EXPECT_EQ(L"<invoke name=\"f\" returntype=\"string\"></invoke>", lastRequest());
    EXPECT_TRUE(window->callWithOptionalArg(result, L"f", L""));
    EXPECT_EQ(L"<invoke name=\"f\" returntype=\"string\"></invoke>", lastRequest());
    EXPECT_TRUE(window->callWithOptionalArg(result, L"f", L"x"));
    EXPECT_EQ(L"<invoke name=\"f\" returntype=\"string\"><arguments><string>x</string></arguments></invoke>",
              lastRequest());
}

TEST_F(ExternalInterfaceCallTest, MarkupCharactersOfNamesAndTextsAreEscaped)
{
    answer(L"f\"<&>", L"<undefined/>");
    const wchar_t* const args[] = {L"a&b <c> \"d\""};
    EXPECT_TRUE(window->callFunction(L"f\"<&>", args, 1));
    EXPECT_EQ(L"<invoke name=\"f&quot;&lt;&amp;&gt;\" returntype=\"string\"><arguments>"
              L"<string>a&amp;b &lt;c&gt; \"d\"</string></arguments></invoke>",
              lastRequest());
}

TEST_F(ExternalInterfaceCallTest, AnswersDecodeByTheirKind)
{
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {L"<string>text &amp; more</string>", L"text & more"},
        {L"<true/>", L"true"},
        {L"<false/>", L"false"},
        {L"<number>27.5</number>", L"27.5"},
        {L"<string>null</string>", L""},
        {L"<number>null</number>", L""},
        {L"<undefined/>", L""},
        {L"<null/>", L""},
        {L"<object><property id=\"a\"><string>x</string></property></object>", L""},
        {L"<array><property id=\"0\"><string>x</string></property></array>", L""},
    };
    for (const auto& [value, expected] : cases) {
        answer(L"f", value);
        std::wstring result = L"before";
        EXPECT_TRUE(window->callFunctionString(result, L"f")) << value;
        EXPECT_EQ(expected, result) << value;
    }
    EXPECT_EQ("", appLog.text());
}

TEST_F(ExternalInterfaceCallTest, BareUndefinedIsLoggedAndCountsAsAnEmptyAnswer)
{
    answer(L"getThing", L"undefined");
    std::wstring result = L"before";
    EXPECT_TRUE(window->callFunctionString(result, L"getThing"));
    EXPECT_EQ(L"", result);
    EXPECT_EQ("Function getThing returned 'undefined', not <undefined/>\n", appLog.text());
}

TEST_F(ExternalInterfaceCallTest, AnswersThatAreNoXmlFailWithTheResultUntouched)
{
    answer(L"good", L"<string>x</string>");
    std::wstring result;
    ASSERT_TRUE(window->callFunctionString(result, L"good"));

    for (const std::wstring& value : {std::wstring(), std::wstring(L"plain text"), std::wstring(L"<open>")}) {
        answer(L"bad", value);
        result = L"kept";
        EXPECT_FALSE(window->callFunctionString(result, L"bad")) << value;
        EXPECT_EQ(L"kept", result) << value;
    }
    EXPECT_EQ("", appLog.text());
}

TEST_F(ExternalInterfaceCallTest, RefusedCallsFailQuietly)
{
    standIn->SetFunctionFailure(_bstr_t(L"isParProgram"), E_FAIL);
    standIn->SetFunctionFailure(_bstr_t(L"getLocaleString"), E_UNEXPECTED);
    std::wstring result = L"kept";
    EXPECT_FALSE(window->callFunctionString(result, L"isParProgram"));
    EXPECT_EQ(L"kept", result);
    EXPECT_FALSE(window->callFunctionString(result, L"unknownFunction"));
    EXPECT_FALSE(window->isParProgram());
    EXPECT_EQ(L"", window->getLocaleString(L"IDS_EXIT"));
    EXPECT_EQ("", appLog.text());
}

TEST_F(ExternalInterfaceCallTest, RawCallsRaiseTheControlsError)
{
    standIn->SetFunctionFailure(_bstr_t(L"convertCwfToUserValue"), E_UNEXPECTED);
    std::wstring result;
    try {
        window->invoke(result, L"convertCwfToUserValue", L"<string>t</string><number>3</number>");
        FAIL() << "no error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(E_UNEXPECTED, error.Error());
    }
    EXPECT_EQ(L"<invoke name=\"convertCwfToUserValue\" returntype=\"string\"><arguments>"
              L"<string>t</string><number>3</number></arguments></invoke>",
              lastRequest());
}

TEST_F(ExternalInterfaceCallTest, BooleanCallsAcceptOnlyTrueAndFalse)
{
    bool value = false;
    answer(L"f", L"<string>true</string>");
    EXPECT_TRUE(window->callFunctionBool(value, L"f"));
    EXPECT_TRUE(value);

    answer(L"f", L"<false/>");
    value = true;
    EXPECT_TRUE(window->callFunctionBool(value, L"f"));
    EXPECT_FALSE(value);

    answer(L"f", L"<string>yes</string>");
    value = true;
    EXPECT_FALSE(window->callFunctionBool(value, L"f"));
    EXPECT_FALSE(value);

    standIn->SetFunctionFailure(_bstr_t(L"f"), E_FAIL);
    value = true;
    EXPECT_FALSE(window->callFunctionBool(value, L"f"));
    EXPECT_FALSE(value);
}

TEST_F(ExternalInterfaceCallTest, IsParProgramOnlyWhenTheMovieSaysTrue)
{
    answer(L"isParProgram", L"<true/>");
    EXPECT_TRUE(window->isParProgram());
    EXPECT_EQ(L"<invoke name=\"isParProgram\" returntype=\"string\"></invoke>", lastRequest());
    answer(L"isParProgram", L"<string>true</string>");
    EXPECT_TRUE(window->isParProgram());
    answer(L"isParProgram", L"<false/>");
    EXPECT_FALSE(window->isParProgram());
}

TEST_F(ExternalInterfaceCallTest, LocaleStringsAreAskedWithTheirKeyAndParameters)
{
    answer(L"getLocaleString", L"<string>Exit</string>");
    EXPECT_EQ(L"Exit", window->getLocaleString(L"IDS_EXIT"));
    EXPECT_EQ(L"<invoke name=\"getLocaleString\" returntype=\"string\"><arguments>"
              L"<string>IDS_EXIT</string></arguments></invoke>",
              lastRequest());

    answer(L"formatLocaleString", L"<string>Open Skyvane</string>");
    const wchar_t* const args[] = {L"IDS_OPEN_PROGRAM", L"Skyvane"};
    EXPECT_EQ(L"Open Skyvane", window->formatLocaleString(args, 2));
    EXPECT_EQ(L"<invoke name=\"formatLocaleString\" returntype=\"string\"><arguments>"
              L"<string>IDS_OPEN_PROGRAM</string><string>Skyvane</string></arguments></invoke>",
              lastRequest());
}

TEST_F(ExternalInterfaceCallTest, MovieMayCallBackIntoNativeCodeDuringACall)
{
    answer(L"outer", L"<string>outer answer</string>");
    answer(L"inner", L"<string>inner answer</string>");
    standIn->AddFunctionCallback(
        _bstr_t(L"outer"),
        _bstr_t(L"<invoke name=\"nested\" returntype=\"xml\"><arguments><string>q</string></arguments></invoke>"));
    listener.answer = [&](const std::wstring&, const std::vector<std::wstring>&) {
        std::wstring inner;
        window->callFunctionString(inner, L"inner");
        return L"<string>" + inner + L"</string>";
    };
    window->addListener(&listener, false);

    std::wstring result;
    EXPECT_TRUE(window->callFunctionString(result, L"outer"));
    EXPECT_EQ(L"outer answer", result);
    EXPECT_EQ(std::vector<std::wstring>{L"call nested [q]"}, listener.calls);
    EXPECT_EQ(std::vector<std::wstring>{L"<string>inner answer</string>"}, returnValues());
}

} // namespace
