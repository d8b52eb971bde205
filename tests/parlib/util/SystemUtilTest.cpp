#include "util/SystemUtil.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace par;

namespace {

std::wstring besideThisProgram(const std::wstring& name)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

} // namespace

TEST(TextFile, WrittenInTextModeAndReadBack)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"a.txt");
    ASSERT_TRUE(writeTextFile(path, L"first\nsecond", L"w+t"));
    EXPECT_EQ("first\r\nsecond", test::readFile(path)) << "text mode writes CR LF";
    EXPECT_EQ(L"first\nsecond", readTextFile(path));

    ASSERT_TRUE(writeTextFile(path, L"replaced", L"w+t"));
    EXPECT_EQ(L"replaced", readTextFile(path));
}

TEST(TextFile, LongerThanOneReadPieceIsReadWhole)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"long.txt");
    std::wstring text;
    for (int line = 0; line < 300; ++line)
        text += L"line " + std::to_wstring(line) + L" of a text longer than one piece\n";
    text += std::wstring(5000, L'x');
    ASSERT_TRUE(writeTextFile(path, text, L"w+t"));
    EXPECT_EQ(text, readTextFile(path));
}

TEST(TextFile, AnyTextSurvivesAsUtf8AndAFailedWriteKeepsTheOldFile)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"\u0141\u00f3d\u017a.txt");
    const std::wstring text = L"  \u041c\u043e\u0441\u043a\u0432\u0430 5 \u20ac, it\u2019s \u5317\u4eac\n\tend \n";
    ASSERT_TRUE(writeTextFile(path, text, L"w+t, ccs=UTF-8"));
    const std::string bytes = test::readFile(path);
    EXPECT_EQ(0u, bytes.find("\xEF\xBB\xBF  \xD0\x9C")) << "a byte-order mark, then UTF-8";
    EXPECT_NE(std::string::npos, bytes.find("\r\n\tend \r\n"));
    EXPECT_EQ(text, readTextFile(path));

    EXPECT_FALSE(writeTextFile(path, L"\u20ac", L"w+t")) << "no byte for the euro sign";
    EXPECT_EQ(bytes, test::readFile(path));
    EXPECT_FALSE(writeTextFile(path, L"x", L"r"));
    EXPECT_EQ(bytes, test::readFile(path));
}

TEST(TextFile, ByteOrderMarksDecideTheDecoding)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"marked.txt");
    ASSERT_TRUE(test::writeFile(path, std::string("\xFF\xFE" "a\0\xAC\x20\r\0\n\0", 10)));
    EXPECT_EQ(L"a\u20ac\n", readTextFile(path));
    ASSERT_TRUE(test::writeFile(path, "Z\xC3\xBCrich"));
    EXPECT_EQ(L"Z\u00c3\u00bcrich", readTextFile(path)) << "without a mark, one character per byte";
    ASSERT_TRUE(test::writeFile(path, "\xEF\xBB\xBFZ\xC3\xBCrich"));
    EXPECT_EQ(L"Z\u00fcrich", readTextFile(path));
}

TEST(TextFile, MissingOrUnwritableFilesFailQuietly)
{
    test::TempDir dir;
    EXPECT_EQ(L"", readTextFile(dir.file(L"missing.txt")));
    EXPECT_FALSE(writeTextFile(dir.file(L"no\\such\\folder.txt"), L"x", L"w+t"));
    EXPECT_FALSE(writeTextFile(dir.path(), L"x", L"w+t")) << "a folder is not a file";
}

TEST(FileExists, IgnoresSeparatorsAndBlanksAtBothEnds)
{
    test::TempDir dir;
    ASSERT_TRUE(test::writeFile(dir.file(L"here.txt"), "x"));
    EXPECT_TRUE(fileExists(dir.file(L"here.txt")));
    EXPECT_TRUE(fileExists(L" \t" + dir.file(L"here.txt") + L"\t "));
    EXPECT_TRUE(fileExists(dir.path() + L"\\"));
    EXPECT_TRUE(fileExists(dir.path() + L"/"));
    EXPECT_TRUE(fileExists(dir.file(L"*.txt"))) << "a wildcard tests for any match";
    EXPECT_FALSE(fileExists(dir.file(L"*.png")));
    EXPECT_FALSE(fileExists(dir.file(L"missing.txt")));
    EXPECT_FALSE(fileExists(L""));
    EXPECT_FALSE(fileExists(L" \\/ "));
}

TEST(CurrentDirectory, FollowsTheProcess)
{
    test::TempDir dir;
    const std::wstring before = currentDirectory();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
    EXPECT_EQ(dir.path(), currentDirectory());
    SetCurrentDirectoryW(before.c_str());
}

TEST(FileVersion, ReadsTheFourWordsInOrder)
{
    FileVersion version;
    ASSERT_TRUE(readFileVersion(version, besideThisProgram(L"versioned_10_2_345_6.dll")));
    EXPECT_EQ(10, version.major);
    EXPECT_EQ(2, version.minor);
    EXPECT_EQ(345, version.build);
    EXPECT_EQ(6, version.revision);
    EXPECT_EQ(L"10.2.345.6", version.toString());

    ASSERT_TRUE(readFileVersion(version, besideThisProgram(L"versioned_1_65535_0_7.dll")));
    EXPECT_EQ(L"1.65535.0.7", version.toString()) << "words are unsigned";
}

TEST(FileVersion, FileWithoutVersionLeavesTheRecordAlone)
{
    test::TempDir dir;
    ASSERT_TRUE(test::writeFile(dir.file(L"plain.txt"), "no resource"));
    FileVersion version;
    version.major = 9;
    EXPECT_FALSE(readFileVersion(version, dir.file(L"plain.txt")));
    EXPECT_FALSE(readFileVersion(version, dir.file(L"missing.dll")));
    EXPECT_EQ(9, version.major);
}

TEST(FileVersion, ComparesFromMajorToRevision)
{
    const FileVersion base{10, 0, 45, 2};
    EXPECT_EQ(0, base.compare(FileVersion{10, 0, 45, 2}));
    EXPECT_EQ(-1, base.compare(FileVersion{10, 0, 45, 3}));
    EXPECT_EQ(1, base.compare(FileVersion{9, 9, 99, 99}));
    EXPECT_EQ(-1, base.compare(FileVersion{10, 1, 0, 0}));
    EXPECT_EQ(1, base.compare(FileVersion{10, 0, 44, 100}));
    EXPECT_EQ(L"10.0.45.2", base.toString());
}

TEST(ErrorText, SystemTextWithoutLineEnds)
{
    const std::wstring text = errorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(L"(PAR) Error description not found", text);
    EXPECT_NE(L'\n', text.back());
    EXPECT_NE(L'\r', text.back());

    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(errorText(ERROR_ACCESS_DENIED), lastErrorText());
}

TEST(ErrorText, WinInetCodesFallBackToTheirNames)
{
    // This system's message table has no WinInet texts.
    EXPECT_EQ(L"TIMEOUT", errorText(12002));
    EXPECT_EQ(L"OUT_OF_HANDLES", errorText(12001));
    EXPECT_EQ(L"CANNOT_CONNECT", errorText(12029));
    EXPECT_EQ(L"SEC_CERT_REV_FAILED", errorText(12057));
    EXPECT_EQ(L"(PAR) Error description not found", errorText(12035)) << "a gap in the table";
    EXPECT_EQ(L"(PAR) Error description not found", errorText(12051));
    EXPECT_EQ(L"(PAR) Error description not found", errorText(12058));
    EXPECT_EQ(L"(PAR) Error description not found", errorText(12000));
}

TEST(InitLogFont, SetsFaceHeightAndCharsetAndNothingElse)
{
    LOGFONTA font;
    memset(&font, 0x55, sizeof font);
    initLogFont(font, "Tahoma");
    EXPECT_STREQ("Tahoma", font.lfFaceName);
    EXPECT_EQ(12, font.lfHeight);
    EXPECT_EQ(DEFAULT_CHARSET, font.lfCharSet);
    EXPECT_EQ(0, font.lfWidth);
    EXPECT_EQ(0, font.lfWeight);
    EXPECT_EQ(0, font.lfItalic);

    initLogFont(font, std::string(100, 'F'));
    EXPECT_EQ(std::string(LF_FACESIZE - 1, 'F'), font.lfFaceName) << "a long name is cut, never overrun";
}

TEST(PadNumber, ZerosInFrontUpToTheWidth)
{
    EXPECT_EQ(L"07", padNumber(7, 2));
    EXPECT_EQ(L"123", padNumber(123, 2));
    EXPECT_EQ(L"0005", padNumber(5, 4));
    EXPECT_EQ(L"0", padNumber(0, 0));
}

TEST(OsVersion, TextAndVistaTestAgreeWithTheSystem)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    const std::string expected = std::to_string(info.dwMajorVersion) + "." +
                                 std::to_string(info.dwMinorVersion) + "." +
                                 std::to_string(info.dwBuildNumber) + ", " + info.szCSDVersion;
    EXPECT_EQ(expected, osVersionText());
    EXPECT_EQ(info.dwMajorVersion >= 6, isVistaOrLater());
}
