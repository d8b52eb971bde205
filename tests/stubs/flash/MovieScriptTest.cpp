#include "MovieScript.h"

#include <gtest/gtest.h>

using standin::MovieScript;
using standin::parseMovieScript;
using Kind = MovieScript::Action::Kind;

namespace {

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

} // namespace

TEST(MovieScriptTest, ReadsAnswersReactionsAndActionsInFileOrder)
{
    const std::string text =
        "\xEF\xBB\xBF" "flash-standin-movie 1\r\n"
        "# a comment\r\n"
        "\r\n"
        "transcript out\\movie.log\r\n"
        "function isParProgram <true/>\r\n"
        "function saveAll fail 80020101\r\n"
        "function broken fail\r\n"
        "function getOptionsValue(quor/ui/tray/textColor) <string>#FFFFFF</string>\r\n"
        "function convert( \"a, b\" ,*, \" \" ) \"<string> {2}\\n</string>\"\r\n"
        "function none() <undefined/>\r\n"
        "callback isParProgram <invoke name=\"a\" returntype=\"xml\"><arguments></arguments></invoke>\r\n"
        "ignore-request ping me\r\n"
        "request suspend after 250 <asyncResponse id=\"suspend\" result=\"true\"/>\r\n"
        "request resume never\r\n"
        "on shutdown after 300 flashcall <invoke name=\"shutdownDone\"/>\r\n"
        "on active is \"\" show \" inactive \"\r\n"
        "show Hello,  w\xC3\xB6rld\r\n"
        "fscommand quorReady\r\n"
        "fscommand trace two words\r\n"
        "at 1500 flashcall <invoke name=\"b\"/>\r\n"
        "at 2000 function trayGetTemperature <string>25</string>\r\n"
        "at 2000 event tray handleTotalUpdate\r\n"
        "hang 500\r\n"
        "unhang\r\n";
    MovieScript script;
    std::wstring error;
    ASSERT_TRUE(parseMovieScript(text, script, error)) << narrow(error);

    EXPECT_EQ(L"out\\movie.log", script.transcript);
    ASSERT_EQ(6u, script.functions.size());
    EXPECT_EQ(L"isParProgram", script.functions[0].name);
    EXPECT_FALSE(script.functions[0].hasPatterns);
    EXPECT_EQ(L"<true/>", script.functions[0].answer.value);
    EXPECT_EQ(static_cast<HRESULT>(0x80020101), script.functions[1].answer.failure);
    EXPECT_EQ(E_FAIL, script.functions[2].answer.failure);
    EXPECT_EQ(std::vector<std::optional<std::wstring>>{std::wstring(L"quor/ui/tray/textColor")},
              script.functions[3].patterns);
    const MovieScript::FunctionRule& convert = script.functions[4];
    EXPECT_TRUE(convert.hasPatterns);
    EXPECT_EQ((std::vector<std::optional<std::wstring>>{std::wstring(L"a, b"), std::nullopt,
                                                        std::wstring(L" ")}),
              convert.patterns);
    EXPECT_EQ(L"<string> {2}\n</string>", convert.answer.value);
    EXPECT_TRUE(script.functions[5].hasPatterns);
    EXPECT_TRUE(script.functions[5].patterns.empty()) << "() is a call without arguments";

    EXPECT_EQ(1u, script.callbacks[L"isParProgram"].size());
    EXPECT_TRUE(script.requests[L"ping me"].never);
    EXPECT_EQ(250u, script.requests[L"suspend"].delayMs);
    EXPECT_EQ(L"<asyncResponse id=\"suspend\" result=\"true\"/>", script.requests[L"suspend"].document);
    EXPECT_TRUE(script.requests[L"resume"].never);

    ASSERT_EQ(2u, script.reactions.size());
    EXPECT_EQ(L"shutdown", script.reactions[0].variable);
    EXPECT_FALSE(script.reactions[0].value.has_value());
    EXPECT_EQ(Kind::FlashCall, script.reactions[0].action.kind);
    EXPECT_EQ(300u, script.reactions[0].action.delayMs);
    EXPECT_EQ(std::optional<std::wstring>(L""), script.reactions[1].value);
    EXPECT_EQ(L" inactive ", script.reactions[1].action.first);

    ASSERT_EQ(8u, script.actions.size());
    EXPECT_EQ(L"Hello,  w\u00F6rld", script.actions[0].first);
    EXPECT_EQ(L"quorReady", script.actions[1].first);
    EXPECT_EQ(L"", script.actions[1].second);
    EXPECT_EQ(L"two words", script.actions[2].second);
    EXPECT_EQ(1500u, script.actions[3].delayMs);
    EXPECT_EQ(Kind::Answers, script.actions[4].kind);
    ASSERT_EQ(1u, script.actions[4].answers->functions.size());
    EXPECT_EQ(L"<string>25</string>", script.actions[4].answers->functions[0].answer.value);
    EXPECT_EQ(Kind::Event, script.actions[5].kind);
    EXPECT_EQ(L"tray", script.actions[5].first);
    EXPECT_EQ(L"handleTotalUpdate", script.actions[5].second);
    EXPECT_EQ(Kind::Hang, script.actions[6].kind);
    EXPECT_EQ(L"500", script.actions[6].first);
    EXPECT_EQ(Kind::Unhang, script.actions[7].kind);
}

TEST(MovieScriptTest, RefusesTextsThatAreNotScriptsAndNamesTheFaultyLine)
{
    const struct {
        std::string text;
        std::wstring error;
    } cases[] = {
        {"", L"not a movie script"},
        {"CWS\x0a\x01\x02", L"not a movie script"},
        {"flash-standin-movie 1\nshow a\nplay\n", L"line 3: unknown keyword \"play\""},
        {"flash-standin-movie 1\nfunction f\n", L"line 2: function needs"},
        {"flash-standin-movie 1\nfunction f maybe\n", L"line 2: a function answers"},
        {"flash-standin-movie 1\nfunction f fail 1\n", L"line 2: a failure needs"},
        {"flash-standin-movie 1\nfunction f(a <true/>\n", L"line 2: an argument list ends"},
        {"flash-standin-movie 1\nat soon show x\n", L"line 2: \"soon\" is not a number"},
        {"flash-standin-movie 1\nat 10 at 20 show x\n", L"line 2: unknown keyword \"at\""},
        {"flash-standin-movie 1\nfscommand\n", L"line 2: fscommand needs"},
        {"flash-standin-movie 1\nhang now\n", L"line 2: hang takes"},
        {"flash-standin-movie 1\nshow \"open\n", L"line 2: a quoted text is not closed"},
        {"flash-standin-movie 1\nshow \"a\" b\n", L"line 2: nothing may follow"},
        {"flash-standin-movie 1\nshow \"\\q\"\n", L"line 2: unknown escape"},
        {"flash-standin-movie 1\nrequest r maybe\n", L"line 2: request answers"},
        {"flash-standin-movie 1\nevent tray\n", L"line 2: event needs"},
        {"flash-standin-movie 1\non shutdown\n", L"line 2: on needs"},
    };
    for (const auto& c : cases) {
        MovieScript script;
        script.transcript = L"kept";
        std::wstring error;
        EXPECT_FALSE(parseMovieScript(c.text, script, error)) << c.text;
        EXPECT_EQ(0u, error.find(c.error)) << narrow(error);
        EXPECT_EQ(L"kept", script.transcript) << "a failed parse changes nothing";
    }
}
