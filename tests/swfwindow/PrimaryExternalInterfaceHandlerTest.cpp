#include "NativeApiTestBase.h"

#include "ChildProcess.h"
#include "LogCapture.h"
#include "PollUntil.h"
#include "TempDir.h"

#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include <gdiplus.h>

#include <chrono>

namespace {

class PrimaryExternalInterfaceHandlerTest : public test::NativeApiTestBase {
protected:
    std::wstring withSlashes(std::wstring path)
    {
        par::replaceAll(path, L"\\", L"/");
        return path;
    }

    test::TempDir folder;
};

bool isLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The host's name of a path, from Wine's own export.
std::wstring hostPath(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name)
        return std::wstring();
    const std::wstring text = par::toWide(name);
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// Symbolic links in a folder to its parent, made by the host: Wine cannot
// make links itself, and shows the host's as reparse points. Removed again
// by the host, as the temporary folder's own clean-up would follow them.
// Wine cannot wait for the host's programs, so their effect is waited for.
class LinksToParent {
public:
    LinksToParent(const std::wstring& folder, std::vector<std::wstring> names)
        : myFolder(folder), myNames(std::move(names))
    {
        for (const std::wstring& name : myNames)
            test::startDetached(L"ln -s .. \"" + hostPath(myFolder + L"\\" + name) + L"\"", {}, L"Z:\\bin\\ln");
        test::pollUntil([this] { return made(); }, 5000, 20);
    }
    ~LinksToParent()
    {
        for (const std::wstring& name : myNames) {
            const std::wstring path = myFolder + L"\\" + name;
            test::startDetached(L"rm -f \"" + hostPath(path) + L"\"", {}, L"Z:\\bin\\rm");
            test::pollUntil([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 5000, 20);
        }
    }
    LinksToParent(const LinksToParent&) = delete;
    LinksToParent& operator=(const LinksToParent&) = delete;

    bool made() const
    {
        for (const std::wstring& name : myNames) {
            if (!isLink(myFolder + L"\\" + name))
                return false;
        }
        return true;
    }

private:
    std::wstring myFolder;
    std::vector<std::wstring> myNames;
};

std::wstring sizeElement(int width, int height)
{
    return L"<size width=\"" + par::toWString(width) + L"\" height=\"" + par::toWString(height) + L"\"/>";
}

TEST_F(PrimaryExternalInterfaceHandlerTest, QueriesAnswerAsStringsAndNeverReachTheListeners)
{
    app->setName(L"Skyvane");
    const std::wstring user = par::Application::getSystemDataPath();
    const std::wstring common = par::Application::getCommonDataPath();
    SetCurrentDirectoryW(folder.path().c_str());
    const std::pair<const wchar_t*, std::wstring> answers[] = {
        {L"isParProjector", L"true"},
        {L"isMac", L"false"},
        {L"getApplicationDirPath", par::Application::getApplicationDirPath()},
        {L"getApplicationDataPath", user + L"\\Skyvane"},
        {L"getApplicationCommonDataPath", common + L"\\Skyvane"},
        {L"getSystemDataPath", user},
        {L"getCommonDataPath", common},
        {L"getCurrentDir", folder.path()},
        {L"getScreenSize", sizeElement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))},
        {L"getWindowsVersion", par::toWide(par::osVersionText())},
    };
    for (const auto& answer : answers)
        EXPECT_EQ(text(answer.second), fireCall(answer.first, {L"ignored"})) << answer.first;
    SetCurrentDirectoryW(par::Application::getApplicationDirPath().c_str());
    app->setName(L"");
    EXPECT_EQ(L"<undefined/>", fireCall(L"getApplicationDataPath"));
    EXPECT_EQ(L"<undefined/>", fireCall(L"getApplicationCommonDataPath"));
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(PrimaryExternalInterfaceHandlerTest, RegionalSettingsAndDisplayModesAreDescribed)
{
    const std::wstring language = fireCall(L"getSystemLanguage").value_or(L"");
    ASSERT_GT(language.size(), 17u);
    const std::wstring locale = fireCall(L"getSystemLocale").value_or(L"");
    EXPECT_EQ(0u, locale.find(language.substr(0, language.size() - 9) + L"-")) << locale;
    std::wstring lower = locale;
    EXPECT_EQ(locale, par::toLowerW(lower));
    const std::wstring units = fireCall(L"unitSystem").value_or(L"");
    EXPECT_TRUE(units == text(L"metric") || units == text(L"us") || units == text(L"russia")) << units;
    EXPECT_NE(L"<undefined/>", fireCall(L"timeFormat"));
    EXPECT_NE(L"<undefined/>", fireCall(L"getCountryName"));

    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    const std::wstring modes = fireCall(L"getDisplayModes").value_or(L"");
    EXPECT_EQ(0u, modes.find(L"<string><modes><mode width=\"")) << modes;
    EXPECT_EQ(modes.size() - 19, modes.find(L"/></modes></string>"));
    EXPECT_NE(std::wstring::npos, modes.find(L"<mode width=\"" + par::toWString(int(mode.dmPelsWidth)) +
                                             L"\" height=\"" + par::toWString(int(mode.dmPelsHeight)) +
                                             L"\" depth=\"" + par::toWString(int(mode.dmBitsPerPel)) + L"\"/>"));
}

TEST_F(PrimaryExternalInterfaceHandlerTest, PrintWritesTheMovieTextToTheProgramLog)
{
    test::LogCapture severe{"app", par::Log::LEVEL_SEVERE};
    EXPECT_EQ(L"", fireCall(L"skyvanePrint", {L"load [SEVERE] failed", L"ignored"}));
    fireCall(L"skyvanePrint", {L"plain"});
    EXPECT_EQ("[FLASH] load [SEVERE] failed\n", severe.text());
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(PrimaryExternalInterfaceHandlerTest, TextFilesAreSavedLoadedAndFound)
{
    const std::wstring path = folder.file(L"notes.txt");
    EXPECT_EQ(text(L"true"), fireCall(L"saveText", {path, L"a\nb <&>", L"ignored"}));
    EXPECT_EQ("\xEF\xBB\xBF" "a\r\nb <&>", test::readFile(path));
    EXPECT_EQ(text(L"a\nb &lt;&amp;&gt;"), fireCall(L"loadText", {path}));
    EXPECT_EQ(text(L"true"), fireCall(L"fileExist", {withSlashes(path)}));
    EXPECT_EQ(text(L"true"), fireCall(L"fileExist", {withSlashes(folder.path()) + L"/"}));
    fireCall(L"saveText", {path, L""});
    EXPECT_EQ(L"<undefined/>", fireCall(L"loadText", {path}));
}

TEST_F(PrimaryExternalInterfaceHandlerTest, MovieMeasuresAndChangesTheMainWindow)
{
    EXPECT_EQ(L"", fireCall(L"setApplicationWindowBounds", {L"10", L"20", L"300", L"180"}));
    EXPECT_EQ(text(L"<bounds x=\"10\" y=\"20\" width=\"300\" height=\"180\"/>"),
              fireCall(L"getApplicationWindowBounds"));
    EXPECT_EQ(L"", fireCall(L"setApplicationWindowContentSize", {L"240", L"120"}));
    EXPECT_EQ(text(sizeElement(240, 120)), fireCall(L"getApplicationWindowContentSize"));
    EXPECT_EQ(10, app->getMainWindow()->getBounds().x);

    EXPECT_EQ(text(L"true"), fireCall(L"isApplicationWindowResizable"));
    EXPECT_EQ(L"", fireCall(L"setApplicationWindowResizable", {L"false"}));
    EXPECT_FALSE(app->getMainWindow()->isResizable());
}

TEST_F(PrimaryExternalInterfaceHandlerTest, SleepBlocksTheUiThreadForTheAskedTime)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(L"<undefined/>", fireCall(L"sleep", {L"300"}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

TEST_F(PrimaryExternalInterfaceHandlerTest, SwfFilesAreKnownByTheirSignature)
{
    const std::pair<std::string, const wchar_t*> files[] = {
        {"FWS\x0a\x10", L"true"}, {"CWS\x09", L"true"}, {"CW\nS", L"false"}, {"GIF89a", L"false"}};
    for (const auto& file : files) {
        test::writeFile(folder.file(L"movie"), file.first);
        EXPECT_EQ(text(file.second), fireCall(L"isSwfFile", {folder.file(L"movie")})) << file.first;
    }
}

TEST_F(PrimaryExternalInterfaceHandlerTest, FindFilesListsMatchesAFolderBeforeItsSubfolders)
{
    CreateDirectoryW(folder.file(L"s").c_str(), nullptr);
    test::writeFile(folder.file(L"s\\y.txt"), "y");
    test::writeFile(folder.file(L"x.txt"), "x");
    test::writeFile(folder.file(L"b.png"), "b");
    EXPECT_EQ(text(L"<files><file name=\"x.txt\" ></file></files>"),
              fireCall(L"findFiles", {withSlashes(folder.path()), L"*.txt", L"no"}));
    EXPECT_EQ(text(L"<files><file name=\"x.txt\" ></file><file name=\"s\\y.txt\" ></file></files>"),
              fireCall(L"findFiles", {folder.path(), L"*.txt", L"true"}));
    const std::wstring all = fireCall(L"findFiles", {folder.path()}).value_or(L"");
    for (const wchar_t* name : {L".", L"..", L"x.txt", L"b.png", L"s"})
        EXPECT_NE(std::wstring::npos, all.find(L"<file name=\"" + std::wstring(name) + L"\" ></file>")) << all;
}

TEST_F(PrimaryExternalInterfaceHandlerTest, FindFilesListsLinksToFoldersButDoesNotEnterThem)
{
    CreateDirectoryW(folder.file(L"s").c_str(), nullptr);
    test::writeFile(folder.file(L"s\\y.txt"), "y");
    test::writeFile(folder.file(L"x.txt"), "x");
    const LinksToParent links(folder.file(L"s"), {L"up", L"again"});
    ASSERT_TRUE(links.made());
    EXPECT_EQ(text(L"<files><file name=\"x.txt\" ></file><file name=\"s\\y.txt\" ></file></files>"),
              fireCall(L"findFiles", {folder.path(), L"*.txt", L"true"}));
    const std::wstring all = fireCall(L"findFiles", {folder.path(), L"*.*", L"true"}).value_or(L"");
    EXPECT_NE(std::wstring::npos, all.find(L"<file name=\"s\\up\" ></file>")) << all;
}

TEST_F(PrimaryExternalInterfaceHandlerTest, PictureIsSavedAsPng)
{
    writeBitmapFile(folder.file(L"in.bmp"), 5, 3);
    EXPECT_EQ(text(L"<response/>"), fireCall(L"saveAsPng", {withSlashes(folder.file(L"in.bmp")),
                                                            withSlashes(folder.file(L"out.png"))}));
    EXPECT_EQ(0u, test::readFile(folder.file(L"out.png")).find("\x89PNG\r\n"));
    Gdiplus::Bitmap saved(folder.file(L"out.png").c_str(), FALSE);
    EXPECT_EQ(5u, saved.GetWidth());
    EXPECT_EQ(3u, saved.GetHeight());
}

TEST_F(PrimaryExternalInterfaceHandlerTest, FolderAndFileChangesAnswerSuccessOrAFailureInTheMoviesWords)
{
    const std::wstring path = folder.file(L"new");
    EXPECT_EQ(text(L"<response/>"), fireCall(L"createDir", {withSlashes(path)}));
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(text(L"<response errorCode=\"183\" errorMessage=\"Localized\n" + par::errorText(183) +
                   L"\nLocalized: " + path + L"\"></response>"),
              fireCall(L"createDir", {path}));

    test::writeFile(folder.file(L"gone.txt"), "x");
    EXPECT_EQ(text(L"<response/>"), fireCall(L"deleteFile", {withSlashes(folder.file(L"gone.txt"))}));
    EXPECT_EQ(L"2", errorCodeOf(L"deleteFile", {folder.file(L"gone.txt")}));
    // Opening a folder that exists would start the shell's file browser.
    EXPECT_EQ(text(L"<response errorCode=\"3\" errorMessage=\"" + par::errorText(3) + L"\nLocalized: " +
                   folder.file(L"none\\x") + L"\"></response>"),
              fireCall(L"openDir", {folder.file(L"none/x")}));
    const std::vector<std::wstring> keys = {L"IDS_FOLDER_CREATION_ERROR", L"IDS_PATH",
                                            L"IDS_DELETE_FILE_ERROR", L"IDS_PATH", L"IDS_PATH"};
    EXPECT_EQ(keys, askedTexts());
}

TEST_F(PrimaryExternalInterfaceHandlerTest, OpenDirStartsNothingButFolders)
{
    test::writeFile(folder.file(L"tool.bat"), "@exit\r\n");
    EXPECT_EQ(L"267", errorCodeOf(L"openDir", {folder.file(L"tool.bat")})) << "ERROR_DIRECTORY";
    EXPECT_EQ(L"206", errorCodeOf(L"openDir", {folder.path() + L"\\" + std::wstring(1000, L'a')}))
        << "ERROR_FILENAME_EXCED_RANGE";
}

} // namespace
