#include "MovieScript.h"

#include <gtest/gtest.h>

using standin::MovieScript;
using standin::parseMovieScript;
using Kind = MovieScript::Action::Kind;

TEST(MovieScriptTest, ReadsAnswersAndActionsInFileOrder)
{
    const std::string text =
        "\xEF\xBB\xBF" "flash-standin-movie 1\r\n"
        "# a comment\r\n"
        "\r\n"
        "function isParProgram <true/>\r\n"
        "function saveAll fail 80020101\r\n"
        "function broken fail\r\n"
        "callback isParProgram <invoke name=\"a\" returntype=\"xml\"><arguments></arguments></invoke>\r\n"
        "ignore-request ping me\r\n"
        "show Hello,  w\xC3\xB6rld\r\n"
        "fscommand quorReady\r\n"
        "fscommand trace two words\r\n"
        "at 1500 flashcall <invoke name=\"b\"/>\r\n"
        "hang\r\n";
    MovieScript script;
    std::wstring error;
    ASSERT_TRUE(parseMovieScript(text, script, error)) << std::string(error.begin(), error.end());

    EXPECT_EQ(L"<true/>", script.functions[L"isParProgram"].value);
    EXPECT_EQ(S_OK, script.functions[L"isParProgram"].failure);
    EXPECT_EQ(static_cast<HRESULT>(0x80020101), script.functions[L"saveAll"].failure);
    EXPECT_EQ(E_FAIL, script.functions[L"broken"].failure);
    ASSERT_EQ(1u, script.callbacks[L"isParProgram"].size());
    EXPECT_EQ(L"<invoke name=\"a\" returntype=\"xml\"><arguments></arguments></invoke>",
              script.callbacks[L"isParProgram"][0]);
    EXPECT_EQ(std::set<std::wstring>{L"ping me"}, script.ignoredRequests);

    ASSERT_EQ(5u, script.actions.size());
    EXPECT_EQ(Kind::Show, script.actions[0].kind);
    EXPECT_EQ(L"Hello,  w\u00F6rld", script.actions[0].first);
    EXPECT_EQ(Kind::FsCommand, script.actions[1].kind);
    EXPECT_EQ(L"quorReady", script.actions[1].first);
    EXPECT_EQ(L"", script.actions[1].second);
    EXPECT_EQ(L"trace", script.actions[2].first);
    EXPECT_EQ(L"two words", script.actions[2].second);
    EXPECT_EQ(Kind::FlashCall, script.actions[3].kind);
    EXPECT_EQ(1500u, script.actions[3].delayMs);
    EXPECT_EQ(L"<invoke name=\"b\"/>", script.actions[3].first);
    EXPECT_EQ(Kind::Hang, script.actions[4].kind);
    EXPECT_EQ(0u, script.actions[4].delayMs);
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
        {"flash-standin-movie 1\nat soon show x\n", L"line 2: at needs"},
        {"flash-standin-movie 1\nat 10 at 20 show x\n", L"line 2: unknown keyword \"at\""},
        {"flash-standin-movie 1\nfscommand\n", L"line 2: fscommand needs"},
        {"flash-standin-movie 1\nhang now\n", L"line 2: hang takes"},
    };
    for (const auto& c : cases) {
        MovieScript script;
        script.ignoredRequests.insert(L"kept");
        std::wstring error;
        EXPECT_FALSE(parseMovieScript(c.text, script, error)) << c.text;
        EXPECT_EQ(0u, error.find(c.error)) << std::string(error.begin(), error.end());
        EXPECT_EQ(1u, script.ignoredRequests.count(L"kept")) << "a failed parse changes nothing";
    }
}
