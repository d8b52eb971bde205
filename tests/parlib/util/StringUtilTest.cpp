#include "util/StringUtil.h"

#include <gtest/gtest.h>

#include <list>

using namespace par;

namespace {

std::list<std::wstring> split(const std::wstring& text, const std::wstring& delimiters)
{
    std::list<std::wstring> pieces;
    splitString(pieces, text, delimiters);
    return pieces;
}

} // namespace

TEST(StringConversion, BytesAboveAsciiWidenSignedAndNarrowBack)
{
    const std::string narrow("caf\xE9", 4);
    const std::wstring wide = toWide(narrow);
    ASSERT_EQ(4u, wide.size());
    EXPECT_EQ(L'f', wide[2]);
    EXPECT_EQ(0xFFE9, static_cast<int>(wide[3]));
    EXPECT_EQ(narrow, toNarrow(wide));
}

TEST(StringConversion, NarrowingKeepsOnlyTheLowByte)
{
    EXPECT_EQ(std::string("\x41\xE9", 2), toNarrow(std::wstring{wchar_t(0x0141), wchar_t(0x00E9)}));
    EXPECT_EQ(std::string("a\0b", 3), toNarrow(std::wstring(L"a\0b", 3)));
}

TEST(SplitString, PiecesIncludeEmptyOnesAtEveryDelimiter)
{
    EXPECT_EQ((std::list<std::wstring>{L"-a", L"", L"b", L""}), split(L"-a  b ", L" "));
    EXPECT_EQ((std::list<std::wstring>{L""}), split(L"", L" "));
    EXPECT_EQ((std::list<std::wstring>{L"abc"}), split(L"abc", L","));
}

TEST(SplitString, EarlierDelimiterOfTheSetWinsOverANearerOne)
{
    EXPECT_EQ((std::list<std::wstring>{L"a;b", L"c"}), split(L"a;b,c", L",;"));
}

TEST(SplitString, AppendsToWhatIsThere)
{
    std::list<std::wstring> pieces{L"x"};
    splitString(pieces, L"a b", L" ");
    EXPECT_EQ((std::list<std::wstring>{L"x", L"a", L"b"}), pieces);
}

TEST(TrimString, RemovesTheSetAtBothEndsOnly)
{
    EXPECT_EQ(L"a b", trimString(L" \t a b\t ", L" \t"));
    EXPECT_EQ(L"", trimString(L"   ", L" "));
    EXPECT_EQ(L"", trimString(L"", L" "));
    EXPECT_EQ(L"x", trimString(L"x", L" "));
}

TEST(ReplaceAll, ReplacementsAreNeverRescanned)
{
    std::string text = "aaaa";
    EXPECT_TRUE(replaceAll(text, "aa", "a"));
    EXPECT_EQ("aa", text);

    text = "a";
    EXPECT_TRUE(replaceAll(text, "a", "aa"));
    EXPECT_EQ("aa", text);

    std::wstring path = L"c:/x/y";
    EXPECT_TRUE(replaceAll(path, L"/", L"\\"));
    EXPECT_EQ(L"c:\\x\\y", path);
}

TEST(ReplaceAll, EmptyOrAbsentPatternReplacesNothing)
{
    std::string text = "abc";
    EXPECT_FALSE(replaceAll(text, "", "x"));
    EXPECT_FALSE(replaceAll(text, "z", "x"));
    EXPECT_EQ("abc", text);
}

TEST(CaseMapping, ChangesAsciiLettersInPlace)
{
    std::string narrow = "ab1Z";
    EXPECT_EQ("AB1Z", toUpper(narrow));
    EXPECT_EQ("AB1Z", narrow);
    std::wstring wide = L"AbC-9";
    EXPECT_EQ(L"abc-9", toLowerW(wide));
}

TEST(ParseInt, ReadsALeadingNumberAndIgnoresTheRest)
{
    int value = 0;
    EXPECT_TRUE(parseInt(L"42abc", value));
    EXPECT_EQ(42, value);
    EXPECT_TRUE(parseInt(L"  -17", value));
    EXPECT_EQ(-17, value);
    EXPECT_FALSE(parseInt(L"abc", value));
    EXPECT_FALSE(parseInt(L"", value));
}

TEST(ParseDouble, CarriesSinglePrecision)
{
    double value = 0;
    EXPECT_TRUE(parseDouble(L"0.1", value));
    EXPECT_EQ(static_cast<double>(0.1f), value);
    EXPECT_NE(0.1, value);
    EXPECT_TRUE(parseDouble(L"27.5", value));
    EXPECT_EQ(27.5, value);
    EXPECT_FALSE(parseDouble(L"x1", value));
}

TEST(ParseBool, AcceptsOnlyTheExactWords)
{
    bool value = true;
    EXPECT_TRUE(parseBool(L"true", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(parseBool(L"false", value));
    EXPECT_FALSE(value);

    for (const wchar_t* text : {L"True", L" true", L"1", L""}) {
        value = true;
        EXPECT_FALSE(parseBool(text, value)) << text;
        EXPECT_FALSE(value) << text;
    }
}

TEST(Formatting, NumbersAndFlagsInTheirFixedForms)
{
    EXPECT_EQ("-12", toString(-12));
    EXPECT_EQ("ff", toHexString(255));
    EXPECT_EQ("ffffffff", toHexString(-1));
    EXPECT_EQ("true", toString(true));
    EXPECT_EQ("false", toString(false));
    EXPECT_EQ("1.5000", toString(1.5));
    EXPECT_EQ("-2.0000", toString(-2.0));
    EXPECT_EQ("0.3333", toString(1.0 / 3));
    EXPECT_EQ(L"7", toWString(7));
    EXPECT_EQ(L"false", toWString(false));
    EXPECT_EQ(L"27.5000", toWString(27.5));
    EXPECT_EQ("100000000000000000000.0000", toString(1e20));
}
