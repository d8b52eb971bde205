#include "util/RegistryUtil.h"

#include "TempRegistryKey.h"

#include <gtest/gtest.h>

using namespace par;

namespace {

void setRaw(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
}

DWORD rawSize(HKEY key, const wchar_t* name)
{
    DWORD size = 0;
    RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
    return size;
}

} // namespace

TEST(RegistryKeys, WriteCreatesAMissingKeyAndReadDoesNot)
{
    test::TempRegistryKey temp;
    const std::wstring sub = temp.path() + L"\\a\\b";
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, openRegKeyForRead(&key, temp.root(), sub));

    ASSERT_EQ(ERROR_SUCCESS, openRegKeyForWrite(&key, temp.root(), sub));
    EXPECT_EQ(ERROR_SUCCESS, writeRegDword(key, L"n", 5));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS, openRegKeyForRead(&key, temp.root(), sub));
    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, readRegDword(key, L"n", &value));
    EXPECT_EQ(5u, value);
    RegCloseKey(key);
}

TEST(RegistryStrings, RoundTripAndEmptyTextKeepsItsZero)
{
    test::TempRegistryKey temp;
    EXPECT_EQ(ERROR_SUCCESS, writeRegString(temp.key(), L"s", L"C:\\Program Files\\x"));
    std::wstring text;
    EXPECT_EQ(ERROR_SUCCESS, readRegString(temp.key(), L"s", text));
    EXPECT_EQ(L"C:\\Program Files\\x", text);

    EXPECT_EQ(ERROR_SUCCESS, writeRegString(temp.key(), L"empty", L""));
    EXPECT_EQ(2u, rawSize(temp.key(), L"empty"));
    text = L"default";
    EXPECT_EQ(ERROR_SUCCESS, readRegString(temp.key(), L"empty", text));
    EXPECT_EQ(L"", text);
}

TEST(RegistryStrings, TextEndsAtItsFirstZeroOrAtTheDataEnd)
{
    test::TempRegistryKey temp;
    const wchar_t twoParts[] = L"one\0two";
    setRaw(temp.key(), L"multi", REG_MULTI_SZ, twoParts, sizeof twoParts);
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    setRaw(temp.key(), L"raw", REG_BINARY, unterminated, sizeof unterminated);

    std::wstring text;
    EXPECT_EQ(ERROR_SUCCESS, readRegString(temp.key(), L"multi", text));
    EXPECT_EQ(L"one", text);
    EXPECT_EQ(ERROR_SUCCESS, readRegString(temp.key(), L"raw", text));
    EXPECT_EQ(L"abc", text);
}

TEST(RegistryStrings, TooLongOrMissingValueIsAnErrorAndKeepsTheDefault)
{
    test::TempRegistryKey temp;
    const std::wstring big(20000, L'x');
    ASSERT_EQ(ERROR_SUCCESS, writeRegString(temp.key(), L"big", big));
    std::wstring text = L"default";
    EXPECT_EQ(ERROR_MORE_DATA, readRegString(temp.key(), L"big", text));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, readRegString(temp.key(), L"missing", text));
    EXPECT_EQ(L"default", text);
}

TEST(RegistryDwords, OnlyAFourByteDwordIsAccepted)
{
    test::TempRegistryKey temp;
    const unsigned char eight[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    setRaw(temp.key(), L"eight", REG_BINARY, eight, sizeof eight);
    const unsigned char two[2] = {7, 0};
    setRaw(temp.key(), L"two", REG_BINARY, two, sizeof two);
    const DWORD four = 4;
    setRaw(temp.key(), L"binaryFour", REG_BINARY, &four, sizeof four);
    const ULONGLONG qword = 9;
    setRaw(temp.key(), L"qword", REG_QWORD, &qword, sizeof qword);
    ASSERT_EQ(ERROR_SUCCESS, writeRegString(temp.key(), L"text", L"12"));

    for (const wchar_t* name : {L"eight", L"two", L"binaryFour", L"qword", L"text", L"missing"}) {
        DWORD value = 0xABCD;
        EXPECT_NE(ERROR_SUCCESS, readRegDword(temp.key(), name, &value)) << name;
        EXPECT_EQ(0xABCDu, value) << name;
    }
}

TEST(RegistryBools, OnlyOneIsTrueAndAFailedReadIsFalse)
{
    test::TempRegistryKey temp;
    ASSERT_EQ(ERROR_SUCCESS, writeRegBool(temp.key(), L"on", true));
    ASSERT_EQ(ERROR_SUCCESS, writeRegBool(temp.key(), L"off", false));
    ASSERT_EQ(ERROR_SUCCESS, writeRegDword(temp.key(), L"two", 2));

    bool value = false;
    EXPECT_EQ(ERROR_SUCCESS, readRegBool(temp.key(), L"on", &value));
    EXPECT_TRUE(value);
    value = true;
    EXPECT_EQ(ERROR_SUCCESS, readRegBool(temp.key(), L"off", &value));
    EXPECT_FALSE(value);
    value = true;
    EXPECT_EQ(ERROR_SUCCESS, readRegBool(temp.key(), L"two", &value));
    EXPECT_FALSE(value);
    value = true;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, readRegBool(temp.key(), L"missing", &value));
    EXPECT_FALSE(value);
}

TEST(RegistryDoubles, StoredAsTextWithFourDecimals)
{
    test::TempRegistryKey temp;
    ASSERT_EQ(ERROR_SUCCESS, writeRegDouble(temp.key(), L"d", 1.5));
    std::wstring text;
    EXPECT_EQ(ERROR_SUCCESS, readRegString(temp.key(), L"d", text));
    EXPECT_EQ(L"1.5000", text);
    double value = 0;
    EXPECT_EQ(ERROR_SUCCESS, readRegDouble(temp.key(), L"d", &value));
    EXPECT_EQ(1.5, value);
}

TEST(RegistryDoubles, TextThatIsNoNumberIsABadFormatAndKeepsTheDefault)
{
    test::TempRegistryKey temp;
    ASSERT_EQ(ERROR_SUCCESS, writeRegString(temp.key(), L"word", L"wide"));
    double value = 7.25;
    EXPECT_EQ(ERROR_BAD_FORMAT, readRegDouble(temp.key(), L"word", &value));
    EXPECT_EQ(7.25, value);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, readRegDouble(temp.key(), L"missing", &value));
    EXPECT_EQ(7.25, value);
}

TEST(RegistryRects, WriteCreatesTheSubkeyWithFourValues)
{
    test::TempRegistryKey temp;
    const std::wstring sub = temp.path() + L"\\windowRect";
    const RECT written = {-10, 20, 630, 500};
    ASSERT_EQ(ERROR_SUCCESS, writeRegRect(temp.root(), sub, &written));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, openRegKeyForRead(&key, temp.root(), sub));
    DWORD left = 0;
    EXPECT_EQ(ERROR_SUCCESS, readRegDword(key, L"left", &left));
    EXPECT_EQ(static_cast<DWORD>(-10), left);
    RegCloseKey(key);

    RECT read = {};
    EXPECT_EQ(ERROR_SUCCESS, readRegRect(temp.root(), sub, &read));
    EXPECT_EQ(-10, read.left);
    EXPECT_EQ(20, read.top);
    EXPECT_EQ(630, read.right);
    EXPECT_EQ(500, read.bottom);
}

TEST(RegistryRects, MissingSubkeyOrValueLeavesTheFieldsAlone)
{
    test::TempRegistryKey temp;
    RECT rect = {1, 2, 3, 4};
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, readRegRect(temp.root(), temp.path() + L"\\none", &rect));
    EXPECT_EQ(1, rect.left);
    EXPECT_EQ(4, rect.bottom);

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, createRegKey(&key, temp.root(), temp.path() + L"\\partial"));
    writeRegDword(key, L"right", 99);
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, readRegRect(temp.root(), temp.path() + L"\\partial", &rect));
    EXPECT_EQ(1, rect.left);
    EXPECT_EQ(2, rect.top);
    EXPECT_EQ(99, rect.right);
    EXPECT_EQ(4, rect.bottom);
}
