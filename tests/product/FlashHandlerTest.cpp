#include "ProductTestBase.h"

#include "Bstr.h"

#include "product/ScreenSaverInstallation.h"

#include "app/Application.h"
#include "app/ProgramShortcut.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"
#include "util/StringUtil.h"

using standin::Bstr;
using test::ComPtr;

namespace {

using Arguments = std::vector<std::wstring>;

struct Launch {
    std::wstring verb;
    std::wstring file;
};
std::vector<Launch> theLaunches;

void recordLaunch(const wchar_t* verb, const std::wstring& file)
{
    theLaunches.push_back({verb, file});
}

std::wstring folderFile(UINT(WINAPI* folderOf)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = {};
    folderOf(folder, MAX_PATH);
    return std::wstring(folder) + L"\\skyvane.scr";
}

// The product key is the development key, which the test prefix does not
// have and which the test removes again; the shell's verb is only recorded.
class FlashHandlerTest : public test::ProductTestBase {
protected:
    void SetUp() override
    {
        ProductTestBase::SetUp();
        par::ScopedRegKey development;
        ASSERT_EQ(ERROR_SUCCESS, par::createRegKey(development.receive(), HKEY_CURRENT_USER,
                                                   Skyvane::DEVELOPMENT_REGISTRY_PATH));
        ScreenSaverInstallation::setLauncher(recordLaunch);
        theLaunches.clear();
        makeSkyvane();
    }

    void TearDown() override
    {
        ScreenSaverInstallation::resetLauncher();
        if (par::ProgramShortcut* shortcut = par::Application::getProgramShortcut())
            shortcut->setInstalled(false);
        RegDeleteTreeW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
        RegDeleteKeyW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
        ProductTestBase::TearDown();
    }

    std::wstring call(const std::wstring& name, const Arguments& args = Arguments())
    {
        return mySkyvane->getFlashHandler()->handleExternalCall(name, args);
    }

    // The movie's own road: the control's FlashCall, the sink's decoding, the
    // listener, the handler, and the answer through SetReturnValue.
    std::wstring movieCall(IFlashStandIn* standIn, const std::wstring& request)
    {
        Bstr answer;
        EXPECT_EQ(S_OK, standIn->FireFlashCall(Bstr(request).get(), answer.out()));
        return answer.text();
    }

    static std::wstring storedSplashUrl()
    {
        std::wstring value = L"(none)";
        par::ScopedRegKey key;
        if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH)
            == ERROR_SUCCESS)
            par::readRegString(key.get(), L"splashUrl", value);
        return value;
    }
};

} // namespace

TEST_F(FlashHandlerTest, MovieCallsAnswerThroughTheControl)
{
    installMovie(L"handshake.movie");
    mySkyvane->createFlashHost();
    ComPtr<IFlashStandIn> standIn = standInOf(mySkyvane->getSwfWindow());
    ASSERT_TRUE(standIn);

    EXPECT_EQ(L"<string>quorNative</string>",
              movieCall(standIn.Get(), L"<invoke name=\"getProjectorId\" returntype=\"xml\"><arguments>"
                                       L"<string>extra</string><true/></arguments></invoke>"));
    EXPECT_EQ(L"<string>desktop</string>",
              movieCall(standIn.Get(), L"<invoke name=\"getRole\" returntype=\"xml\"></invoke>"));

    // An address with markup and text beyond ASCII is kept as the movie sent
    // it, and handed back escaped, so that the movie reads what it saved.
    const std::wstring address = L"http://example.com/?a=1&b=<i>\x00FC\x4E2D</i>\"'";
    EXPECT_EQ(L"", movieCall(standIn.Get(), L"<invoke name=\"saveSplashUrl\" returntype=\"xml\"><arguments>"
                                            L"<string>http://example.com/?a=1&amp;b=&lt;i&gt;\x00FC\x4E2D"
                                            L"&lt;/i&gt;&quot;&apos;</string></arguments></invoke>"));
    EXPECT_EQ(address, storedSplashUrl());
    EXPECT_EQ(L"<string>http://example.com/?a=1&amp;b=&lt;i&gt;\x00FC\x4E2D&lt;/i&gt;\"'</string>",
              movieCall(standIn.Get(), L"<invoke name=\"loadSplashUrl\" returntype=\"xml\"></invoke>"));
    EXPECT_EQ("", myAppLog.text());
}

TEST_F(FlashHandlerTest, CommandTableAnswersAndRefusals)
{
    const std::string countFailure = ", unexpected number of arguments, the call is skipped.\n";
    const std::string parseFailure = "\", argument parsing failure, the call is skipped\n";
    const std::string fullscreenRefused = "QuorApiForFlash, invalid call: \"setFullscreenMode\"\n";
    myHandlerLog.debug = true;

    struct Case {
        std::wstring name;
        Arguments args;
        std::wstring answer;
        std::string log;
        std::vector<std::wstring> changes;
    };
    const Case cases[] = {
        // Commands that read no arguments ignore any.
        {L"getRole", {L"x"}, L"<string>desktop</string>", "", {}},
        {L"isDebug", {L"false"}, L"<string>true</string>", "", {}},
        {L"isFullscreenMode", {}, L"<string>false</string>", "", {}},
        {L"getDefaultTrayTextColor", {L"1"}, L"<string>#FFFFFF</string>", "", {}},
        {L"getDefaultTrayBackground", {}, L"<string>transparent</string>", "", {}},
        {L"getFlashLogsXml", {L"x"}, L"<string><logs></logs></string>", "", {}},
        {L"loadSplashUrl", {L"x"}, L"<string></string>", "", {}},
        {L"getFullscreenDisplayMode", {},
         L"<string><mode id=\"default\" width=\"0\" height=\"0\" depth=\"0\"/></string>", "", {}},
        // Names are exact.
        {L"getprojectorid", {}, L"", "", {}},
        {L"GetRole", {}, L"", "", {}},
        {L"setfullscreenmode", {L"true"}, L"", "", {}},
        {L"noSuchCommand", {L"1"}, L"", "", {}},
        // The fullscreen switch makes its own check.
        {L"setFullscreenMode", {}, L"", fullscreenRefused, {}},
        {L"setFullscreenMode", {L"true", L"true"}, L"", fullscreenRefused, {}},
        {L"setFullscreenMode", {L"TRUE"}, L"", fullscreenRefused, {}},
        {L"setFullscreenMode", {L"true"}, L"", "", {L"fullscreen on"}},
        {L"isFullscreenMode", {}, L"<string>true</string>", "", {}},
        // Counts and arguments are checked in order; a refusal changes nothing.
        {L"setRunWithWindows", {}, L"", "setRunWithWindows" + countFailure, {}},
        {L"setRunWithWindows", {L"true", L"true"}, L"", "setRunWithWindows" + countFailure, {}},
        {L"setRunWithWindows", {L"yes"}, L"", "setRunWithWindows, arg=\"yes" + parseFailure, {}},
        {L"saveSplashUrl", {}, L"", "saveSplashUrl" + countFailure, {}},
        {L"saveSplashUrl", {L"a", L"b"}, L"", "saveSplashUrl" + countFailure, {}},
        {L"detectLocationCoordinates", {}, L"", "detectLocationCoordinates" + countFailure, {}},
        {L"detectLocationCoordinates", {L"1", L"2"}, L"", "detectLocationCoordinates" + countFailure, {}},
        {L"detectLocationCoordinates", {L"soon"}, L"",
         "detectLocationCoordinates, arg=\"soon" + parseFailure, {}},
        {L"setFullscreenDisplayMode", {L"800", L"600"}, L"", "setFullscreenDisplayMode" + countFailure, {}},
        {L"setFullscreenDisplayMode", {L"1", L"2", L"3", L"4"}, L"",
         "setFullscreenDisplayMode" + countFailure, {}},
        {L"setFullscreenDisplayMode", {L"800", L"x", L"32"}, L"",
         "setFullscreenDisplayMode, arg=\"x" + parseFailure, {}},
        {L"setFullscreenDisplayMode", {L"q", L"x", L"32"}, L"",
         "setFullscreenDisplayMode, arg=\"q" + parseFailure, {}},
        // Three numbers choose a mode; none goes back to the screen's own and
        // keeps the sizes.
        {L"setFullscreenDisplayMode", {L"1024", L"768", L"32"}, L"", "", {L"display mode"}},
        {L"getFullscreenDisplayMode", {L"x"},
         L"<string><mode id=\"provided\" width=\"1024\" height=\"768\" depth=\"32\"/></string>", "", {}},
        {L"setFullscreenDisplayMode", {}, L"", "", {L"display mode"}},
        {L"getFullscreenDisplayMode", {},
         L"<string><mode id=\"default\" width=\"1024\" height=\"768\" depth=\"32\"/></string>", "", {}},
        {L"shutdownDone", {L"x"}, L"", "", {}},
    };
    for (const Case& c : cases) {
        const std::string what = par::toNarrow(c.name) + "/" + std::to_string(c.args.size());
        myAppLog.clear();
        myHandlerLog.changes.clear();
        EXPECT_EQ(c.answer, call(c.name, c.args)) << what;
        EXPECT_EQ(c.log, myAppLog.text()) << what;
        EXPECT_EQ(c.changes, myHandlerLog.changes) << what;
    }
    // Grey on light backgrounds, light grey on dark ones.
    const std::wstring outdated = call(L"getDefaultTrayOutdatedColor");
    EXPECT_TRUE(outdated == L"<string>#808080</string>" || outdated == L"<string>#A8A8A8</string>")
        << outdated;
    EXPECT_EQ(1, myHandlerLog.shutdownDone);
    EXPECT_EQ(L"(none)", storedSplashUrl());
    const par::FullscreenDisplayMode& mode = mySkyvane->getFullscreenDisplayMode();
    EXPECT_EQ(0, mode.id);
    EXPECT_EQ(1024, mode.width);
}

TEST_F(FlashHandlerTest, LogListNamesTheLogsThatWriteDebugLines)
{
    par::Log* startup = par::getLog("startup");
    par::Log* shutdown = par::getLog("shutdown");
    startup->setLevel(par::Log::LEVEL_DEBUG);
    startup->setDisplayName(true);
    EXPECT_EQ(L"<string><logs><log name=\"startup\" displayName=\"true\"/>\n</logs></string>",
              call(L"getFlashLogsXml"));
    shutdown->setLevel(par::Log::LEVEL_DEBUG);
    startup->setDisplayName(false);
    EXPECT_EQ(L"<string><logs><log name=\"startup\"/>\n<log name=\"shutdown\"/>\n</logs></string>",
              call(L"getFlashLogsXml"));
    startup->setLevel(par::Log::LEVEL_INFO);
    shutdown->setLevel(par::Log::LEVEL_UNSET);
    EXPECT_EQ(L"<string><logs></logs></string>", call(L"getFlashLogsXml"));
    startup->setLevel(par::Log::LEVEL_UNSET);
}

TEST_F(FlashHandlerTest, RunWithWindowsSwitchesTheStartupLink)
{
    par::ProgramShortcut* shortcut = par::Application::getProgramShortcut();
    ASSERT_NE(nullptr, shortcut);
    shortcut->setInstalled(false);
    ASSERT_FALSE(shortcut->isInstalled());
    EXPECT_EQ(L"<string>false</string>", call(L"isRunWithWindows"));

    EXPECT_EQ(L"", call(L"setRunWithWindows", {L"true"}));
    EXPECT_TRUE(shortcut->isInstalled());
    EXPECT_EQ(L"<string>true</string>", call(L"isRunWithWindows", {L"x"}));
    EXPECT_EQ(L"", call(L"setRunWithWindows", {L"yes"}));
    EXPECT_TRUE(shortcut->isInstalled());

    EXPECT_EQ(L"", call(L"setRunWithWindows", {L"false"}));
    EXPECT_FALSE(shortcut->isInstalled());
    EXPECT_EQ(L"<string>false</string>", call(L"isRunWithWindows"));
}

TEST_F(FlashHandlerTest, ScreenSaverInstallsFromTheVersionsFolder)
{
    EXPECT_EQ(folderFile(GetSystemDirectoryW), ScreenSaverInstallation::screenSaverPath(5));
    EXPECT_EQ(folderFile(GetWindowsDirectoryW), ScreenSaverInstallation::screenSaverPath(6));

    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    EXPECT_EQ(L"", call(L"setAsScreensaver", {L"ignored"}));
    ASSERT_EQ(1u, theLaunches.size());
    EXPECT_EQ(L"install", theLaunches[0].verb);
    EXPECT_EQ(folderFile(version.dwMajorVersion == 5 ? GetSystemDirectoryW : GetWindowsDirectoryW),
              theLaunches[0].file);
}

TEST_F(FlashHandlerTest, SplashAddressWithoutTheProductKeyIsEmpty)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
    RegDeleteKeyW(HKEY_CURRENT_USER, Skyvane::DEVELOPMENT_REGISTRY_PATH);
    par::ScopedRegKey product;
    if (par::openRegKeyForRead(product.receive(), HKEY_CURRENT_USER, Skyvane::REGISTRY_PATH) == ERROR_SUCCESS)
        GTEST_SKIP() << "the prefix has the product key";
    EXPECT_EQ(L"<string></string>", call(L"loadSplashUrl"));
    EXPECT_EQ("", myAppLog.text());
}
