#include "ProductTestBase.h"

#include "htmlwindow/HtmlWindow.h"
#include "swfwindow/SwfWindow.h"

#include "app/Application.h"

using test::ProductTestBase;

namespace {

class FlashMissingPageTest : public ProductTestBase {
protected:
    void SetUp() override
    {
        ProductTestBase::SetUp();
        makeSkyvane();
    }

    std::unique_ptr<test::RecordingFlashHost> detect()
    {
        auto host = std::make_unique<test::RecordingFlashHost>();
        host->handleRequiredFlashDetected();
        return host;
    }
};

} // namespace

TEST_F(FlashMissingPageTest, EveryUnusablePlayerGetsThePageAndItsMessage)
{
    struct Variant {
        const char* name;
        std::function<void()> registerIt;
        bool installed;
        std::wstring version;
    };
    const std::wstring noVersion = myFolder.file(L"noversion.dll");
    ASSERT_TRUE(test::writeFile(noVersion, "MZ but no version resource"));
    const std::vector<Variant> variants = {
        {"no registration", [&] { registerNoPlayer(); }, false, L"0.0.0.0"},
        {"empty default value", [&] { registerPlayer(L""); }, false, L"0.0.0.0"},
        {"missing file", [&] { registerPlayer(myFolder.file(L"gone.dll")); }, false, L"0.0.0.0"},
        {"no version resource", [&] { registerPlayer(noVersion); }, false, L"0.0.0.0"},
        {"version 8.0.99.0", [&] { registerPlayer(versionedPlayerPath(L"8_0_99_0")); }, true, L"8.0.99.0"},
    };
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        variant.registerIt();
        std::unique_ptr<test::RecordingFlashHost> host = detect();
        EXPECT_EQ(nullptr, host->getSwfWindow());
        ASSERT_EQ(1u, host->getChildren().size());
        EXPECT_NE(nullptr, pageWindow(*host));
        ASSERT_EQ(1u, host->pages.size());
        EXPECT_EQ(variant.installed, host->pages[0].installed);
        EXPECT_EQ(variant.version, host->pages[0].installedVersion);
        // Wine has no HTML engine: the page is not written, the host stands.
        EXPECT_EQ("AbstractFlashHost::showFlashMissingPage(), the page is not shown, result=-7\n",
                  myAppLog.text());
        myAppLog.clear();
        host->setFocus();
    }
    EXPECT_TRUE(myHandlerLog.windowsCreated.empty());

    // The required version itself is enough.
    registerPlayer(versionedPlayerPath(L"9_0_0_0"));
    std::unique_ptr<test::RecordingFlashHost> host = detect();
    EXPECT_TRUE(host->pages.empty());
    ASSERT_NE(nullptr, host->getSwfWindow());
    EXPECT_EQ(nullptr, pageWindow(*host));
    EXPECT_EQ(std::vector<SwfWindow*>{host->getSwfWindow()}, myHandlerLog.windowsCreated);
}

TEST_F(FlashMissingPageTest, PageNamesTheVersionsAndLinks)
{
    par::FileVersion installed;
    installed.major = 8;
    installed.build = 99;
    par::FileVersion required;
    required.major = 9;
    EXPECT_EQ(L"<html><head><base href=\"C:\\app\\fakeDocumentName\"/></head><body><font face=\"Tahoma, "
              L"Helvetica, Arial, sans-serif\">The program uses Flash Player plugin for Internet "
              L"Explorer.<br/>Version 9.0.0.0 or later of the Flash Player must be installed.<br/><br/>"
              L"Your version of Flash Player (8.0.99.0) is old, you have to upgrade Flash Player to run "
              L"the program.<br/><br/>Download and install the latest version of Flash Player, "
              L"please.<br/>It will only take a moment.<br/><a href=\"app://getFlash\">Click here <img "
              L"src=\" data\\images\\get_flash_player.gif\"></a> to go to the installation web page and "
              L"follow the instructions given in your browser.<br/><br/><a href=\"app://exit\">Exit</a>"
              L"</font></body></html>",
              AbstractFlashHost::flashMissingPage(L"C:\\app\\fakeDocumentName",
                                                  L"data\\images\\get_flash_player.gif", true, installed,
                                                  required));
    const std::wstring missing = AbstractFlashHost::flashMissingPage(L"base", L"picture", false,
                                                                     par::FileVersion(), required);
    EXPECT_NE(std::wstring::npos,
              missing.find(L"<br/><br/>Flash Player was not detected on your system.<br/><br/>"));
}

TEST_F(FlashMissingPageTest, ExitLinkEndsTheProgramThroughTheFacade)
{
    registerNoPlayer();
    FlashHost* host = mySkyvane->createFlashHost();
    HtmlWindow* page = pageWindow(*host);
    ASSERT_NE(nullptr, page);
    followLink(page, L"app://exit");
    ASSERT_TRUE(pumpUntil([&] { return mySkyvane->closes == 1; }));
    EXPECT_EQ(nullptr, mySkyvane->getSwfWindow());
}

TEST_F(FlashMissingPageTest, PlayerInstalledAfterGetFlashReplacesThePage)
{
    installMovie(L"handshake.movie");
    registerNoPlayer();
    std::unique_ptr<test::RecordingFlashHost> host = detect();
    HtmlWindow* page = pageWindow(*host);
    ASSERT_NE(nullptr, page);

    followLink(page, L"app://getFlash");
    ASSERT_TRUE(pumpUntil([&] { return !host->openedAddresses.empty(); }));
    EXPECT_EQ(std::vector<std::wstring>{AbstractFlashHost::FLASH_DOWNLOAD_ADDRESS}, host->openedAddresses);
    pumpUntil([] { return false; }, 1200);
    EXPECT_EQ(nullptr, host->getSwfWindow());

    // The user installs the player.
    const std::wstring player = standInPath();
    ASSERT_FALSE(player.empty());
    registerPlayer(player);
    const DWORD installedAt = GetTickCount();
    ASSERT_TRUE(pumpUntil([&] { return host->getSwfWindow() != nullptr; }));
    EXPECT_LE(GetTickCount() - installedAt, 1500u);
    EXPECT_EQ(nullptr, pageWindow(*host));
    EXPECT_EQ(1u, host->getChildren().size());
    EXPECT_EQ(std::vector<SwfWindow*>{host->getSwfWindow()}, myHandlerLog.windowsCreated);
    ASSERT_TRUE(pumpUntil([&] { return myHandlerLog.movieReady == 1; }));

    // The watch has stopped: nothing replaces the movie window again.
    pumpUntil([] { return false; }, 1200);
    EXPECT_EQ(1u, myHandlerLog.windowsCreated.size());
}
