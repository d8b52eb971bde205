#include "htmlwindow/UrlUtil.h"

#include <gtest/gtest.h>

using htmlWindow::parseRequestUrl;
using htmlWindow::RequestParameters;
using htmlWindow::splitSchemeUrl;

namespace {

struct Request {
    std::string path;
    RequestParameters parameters;
};

Request parse(const std::string& text)
{
    Request request;
    parseRequestUrl(text, request.path, request.parameters);
    return request;
}

} // namespace

TEST(SplitSchemeUrlTest, SplitsAtTheFirstColonFollowedByTwoSlashes)
{
    std::string scheme;
    std::string rest;
    EXPECT_TRUE(splitSchemeUrl("app://say?url=http://x", scheme, rest));
    EXPECT_EQ("app", scheme);
    EXPECT_EQ("say?url=http://x", rest);

    EXPECT_TRUE(splitSchemeUrl("APP://exit", scheme, rest));
    EXPECT_EQ("APP", scheme);
    EXPECT_EQ("exit", rest);
}

TEST(SplitSchemeUrlTest, WithoutTwoSlashesKeepsTheSchemeAndGivesTheWholeText)
{
    std::string scheme = "before";
    std::string rest;
    EXPECT_FALSE(splitSchemeUrl("javascript:void(0)", scheme, rest));
    EXPECT_EQ("before", scheme);
    EXPECT_EQ("javascript:void(0)", rest);

    EXPECT_FALSE(splitSchemeUrl("app:/", scheme, rest));
    EXPECT_EQ("app:/", rest);
    EXPECT_FALSE(splitSchemeUrl("no scheme", scheme, rest));
    EXPECT_EQ("no scheme", rest);
    EXPECT_FALSE(splitSchemeUrl("", scheme, rest));
    EXPECT_EQ("before", scheme);
}

TEST(ParseRequestUrlTest, PathAloneHasNoParameters)
{
    const Request request = parse("exit");
    EXPECT_EQ("exit", request.path);
    EXPECT_TRUE(request.parameters.empty());

    const Request empty = parse("");
    EXPECT_EQ("", empty.path);
    EXPECT_TRUE(empty.parameters.empty());
}

TEST(ParseRequestUrlTest, DropsOneTrailingSlashAndLineEnd)
{
    EXPECT_EQ("getFlash", parse("getFlash/").path);
    EXPECT_EQ("getFlash", parse("getFlash\r\n").path);
    EXPECT_EQ("getFlash/", parse("getFlash/\n").path);
    EXPECT_EQ("getFlash/", parse("getFlash//").path);
    EXPECT_EQ("", parse("/").path);
}

TEST(ParseRequestUrlTest, DropsATrailingRequestLine)
{
    const Request request = parse("say?text=hi HTTP/1.1\r\n");
    EXPECT_EQ("say", request.path);
    EXPECT_EQ("hi", request.parameters.at("text"));

    EXPECT_EQ("exit", parse("exit HTTP/1.0").path);
    EXPECT_EQ("HTTP/1.", parse("HTTP/1.").path);
    // Nothing precedes the version: the whole text goes, and no more.
    EXPECT_EQ("", parse("HTTP/1.1").path);
}

TEST(ParseRequestUrlTest, SplitsPairsAtTheirFirstEqualsSign)
{
    const Request request = parse("open?file=a=b&flag&empty=&&x=1");
    EXPECT_EQ("open", request.path);
    const RequestParameters expected = {{"file", "a=b"}, {"flag", ""}, {"empty", ""}, {"x", "1"}};
    EXPECT_EQ(expected, request.parameters);
}

TEST(ParseRequestUrlTest, RepeatedKeyKeepsItsFirstValue)
{
    EXPECT_EQ("1", parse("x?a=1&a=2").parameters.at("a"));
}

TEST(ParseRequestUrlTest, DecodesPlusAndPercentEscapesInValues)
{
    const Request request = parse("say?text=a+b%21&lower=%7e%2B&key+1=v");
    EXPECT_EQ("a b!", request.parameters.at("text"));
    EXPECT_EQ("~+", request.parameters.at("lower"));
    // Keys stay as written.
    EXPECT_EQ("v", request.parameters.at("key+1"));
}

TEST(ParseRequestUrlTest, PercentSignWithoutTwoHexDigitsStaysAsWritten)
{
    const Request request = parse("p?a=100%&b=%4&c=%zz1&d=50%25");
    EXPECT_EQ("100%", request.parameters.at("a"));
    EXPECT_EQ("%4", request.parameters.at("b"));
    EXPECT_EQ("%zz1", request.parameters.at("c"));
    EXPECT_EQ("50%", request.parameters.at("d"));
}

TEST(ParseRequestUrlTest, ReplacesWhatTheParametersHeldBefore)
{
    std::string path;
    RequestParameters parameters = {{"a", "old"}, {"stale", "1"}};
    parseRequestUrl("x?a=new", path, parameters);
    const RequestParameters expected = {{"a", "new"}};
    EXPECT_EQ(expected, parameters);
}
