#include "ProductTestBase.h"

#include "Bstr.h"
#include "LocationStandIn.h"

#include <algorithm>

using standin::Bstr;
using standin::LocationScript;
using standin::RegisteredLocationStandIn;
using test::ComPtr;

namespace {

const HRESULT NOT_ALLOWED = E_ACCESSDENIED;

// The movie asks for the location both ways: the product command, and the
// request answered into "xmlResponse".
class LocationTest : public test::ProductTestBase {
protected:
    void SetUp() override
    {
        ProductTestBase::SetUp();
        makeSkyvane();
    }

    std::wstring detect(const std::wstring& timeoutMs)
    {
        return mySkyvane->getFlashHandler()->handleExternalCall(L"detectLocationCoordinates", {timeoutMs});
    }

    // The product movie, playing; its control.
    ComPtr<IFlashStandIn> startMovie()
    {
        installMovie(L"handshake.movie");
        mySkyvane->createFlashHost();
        return standInOf(mySkyvane->getSwfWindow());
    }

    // The responses written by the time the request's FSCommand returns.
    std::vector<std::wstring> request(IFlashStandIn* standIn, const std::wstring& timeoutAttribute)
    {
        const std::wstring document =
            L"<request id=\"detectLocationCoordinates\" uin=\"7\"" + timeoutAttribute + L"/>";
        EXPECT_EQ(S_OK, standIn->FireFSCommand(Bstr(L"xmlRequest").get(), Bstr(document).get()));
        return variableValues(standIn, L"xmlResponse");
    }

    // The response as the movie reads it, without the line breaks and tabs
    // of its indented form.
    static std::wstring withoutLayout(std::wstring response)
    {
        response.erase(std::remove_if(response.begin(), response.end(),
                                      [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }),
                       response.end());
        return response;
    }

    static std::wstring error(const wchar_t* id)
    {
        return L"<string><error id=\"" + std::wstring(id) + L"\"/></string>";
    }
};

LocationScript reportAfter(int delayMs, bool notifies)
{
    LocationScript script;
    script.reportDelayMs = delayMs;
    script.notifies = notifies;
    script.latitude = 50.0875551234;
    script.longitude = -14.4213;
    return script;
}

LocationScript failing(HRESULT LocationScript::*step)
{
    LocationScript script = reportAfter(0, true);
    script.*step = E_FAIL;
    return script;
}

const std::wstring FIX = L"<string><result latitude=\"50.087555\" longitude=\"-14.421300\" /></string>";

} // namespace

TEST_F(LocationTest, WithoutTheLocationApiTheAnswerIsInternal)
{
    EXPECT_EQ(error(L"internal"), detect(L"0"));

    ComPtr<IFlashStandIn> standIn = startMovie();
    ASSERT_TRUE(standIn);
    const std::vector<std::wstring> responses = request(standIn.Get(), L" timeoutMs=\"0\"");
    ASSERT_EQ(1u, responses.size());
    EXPECT_NE(std::wstring::npos, responses[0].find(L"<error id=\"internal\"/>")) << responses[0];
}

TEST_F(LocationTest, EveryOutcomeOfOneFix)
{
    LocationScript denied = reportAfter(0, true);
    denied.permission = NOT_ALLOWED;
    LocationScript lateFailure = reportAfter(0, false);
    lateFailure.getReport = E_FAIL;
    struct Case {
        const char* what;
        LocationScript script;
        std::wstring timeoutMs;
        std::wstring answer;
    };
    const Case cases[] = {
        {"report at once", reportAfter(0, true), L"3000", FIX},
        {"report after a while", reportAfter(150, true), L"10000", FIX},
        {"report taken after the time-out", reportAfter(50, false), L"400", FIX},
        {"time-out of 0 with a report", reportAfter(0, false), L"0", FIX},
        {"time-out of 0 without", reportAfter(-1, true), L"0", error(L"timeout")},
        {"no report", reportAfter(-1, true), L"200", error(L"timeout")},
        {"negative time-out without a report", reportAfter(-1, true), L"-5", error(L"timeout")},
        {"negative time-out with a report", reportAfter(0, false), L"-1", FIX},
        {"permission refused", denied, L"1000", error(L"access denied")},
        {"registration failing", failing(&LocationScript::registration), L"1000", error(L"internal")},
        {"report failing", failing(&LocationScript::getReport), L"1000", error(L"internal")},
        {"report failing after the time-out", lateFailure, L"100", error(L"timeout")},
        {"getters failing", failing(&LocationScript::getters), L"1000", error(L"internal")},
    };
    for (const Case& c : cases) {
        RegisteredLocationStandIn location(c.script);
        ASSERT_TRUE(location.isRegistered());
        EXPECT_EQ(c.answer, detect(c.timeoutMs)) << c.what;
        EXPECT_EQ(0, RegisteredLocationStandIn::openRegistrations()) << c.what;
        EXPECT_EQ(0, RegisteredLocationStandIn::liveObjects()) << c.what;
    }
    EXPECT_EQ("", myAppLog.text());
}

TEST_F(LocationTest, MovieRequestIsAnsweredBeforeItReturns)
{
    ComPtr<IFlashStandIn> standIn = startMovie();
    ASSERT_TRUE(standIn);
    LocationScript denied = reportAfter(0, true);
    denied.permission = NOT_ALLOWED;
    struct Case {
        const char* what;
        LocationScript script;
        std::wstring timeoutAttribute;
        std::wstring answer;
    };
    const Case cases[] = {
        {"report", reportAfter(100, true), L" timeoutMs=\"5000\"",
         L"result=\"false\" latitude=\"50.087555\" longitude=\"-14.421300\"/>"},
        {"permission refused", denied, L" timeoutMs=\"5000\"",
         L"result=\"false\"><error id=\"accessDenied\"/></asyncResponse>"},
        {"no report", reportAfter(-1, true), L" timeoutMs=\"100\"",
         L"result=\"false\"><error id=\"timeout\"/></asyncResponse>"},
        {"getters failing", failing(&LocationScript::getters), L" timeoutMs=\"5000\"",
         L"result=\"false\"><error id=\"internal\"/></asyncResponse>"},
        // A time-out that is no number counts as 0.
        {"no number, report at once", reportAfter(0, false), L" timeoutMs=\"soon\"",
         L"result=\"false\" latitude=\"50.087555\" longitude=\"-14.421300\"/>"},
        {"no time-out, no report", reportAfter(-1, true), L"",
         L"result=\"false\"><error id=\"timeout\"/></asyncResponse>"},
    };
    size_t answered = 0;
    for (const Case& c : cases) {
        RegisteredLocationStandIn location(c.script);
        const std::vector<std::wstring> responses = request(standIn.Get(), c.timeoutAttribute);
        ASSERT_EQ(++answered, responses.size()) << c.what;
        EXPECT_EQ(L"<asyncResponse id=\"detectLocationCoordinates\" uin=\"7\" " + c.answer,
                  withoutLayout(responses.back()))
            << c.what;
        EXPECT_EQ(0, RegisteredLocationStandIn::liveObjects()) << c.what;
    }

    // Other requests are not the listener's.
    RegisteredLocationStandIn location(reportAfter(0, true));
    const Bstr other(L"<request id=\"detectLocation\" uin=\"8\" timeoutMs=\"0\"/>");
    EXPECT_EQ(S_OK, standIn->FireFSCommand(Bstr(L"xmlRequest").get(), other.get()));
    EXPECT_EQ(answered, variableValues(standIn.Get(), L"xmlResponse").size());
}
