#include "ProductTestBase.h"

#include "product/FlashPlayerRegistration.h"

#include "htmlwindow/HtmlWindow.h"
#include "swfwindow/SwfWindow.h"

#include "app/Application.h"

namespace {

class FlashMissingPageTest : public test::ProductTestBase {
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

    // Files of this test's build that carry a player's version and nothing else.
    static std::wstring versionedPlayer(const std::wstring& suffix)
    {
        return par::Application::getApplicationDirPath() + L"\\player_" + suffix + L".dll";
    }
};

} // namespace

TEST_F(FlashMissingPageTest, EveryUnusablePlayerGetsThePage)
{
    const std::wstring noVersion = myFolder.file(L"noversion.dll");
    ASSERT_TRUE(test::writeFile(noVersion, "MZ without a version resource"));
    const std::vector<std::pair<std::function<void()>, std::wstring>> variants = {
        {[&] { registerNoPlayer(); }, L"none"},
        {[&] { registerPlayer(L""); }, L"none"},
        {[&] { registerPlayer(myFolder.file(L"gone.dll")); }, L"none"},
        {[&] { registerPlayer(noVersion); }, L"none"},
        {[&] { registerPlayer(versionedPlayer(L"8_0_99_0")); }, L"8.0.99.0"},
    };
    for (const auto& variant : variants) {
        variant.first();
        std::unique_ptr<test::RecordingFlashHost> host = detect();
        SCOPED_TRACE(FlashPlayerRegistration::readPlayerPath().c_str());
        EXPECT_EQ(nullptr, host->getSwfWindow());
        ASSERT_EQ(1u, host->getChildren().size());
        EXPECT_NE(nullptr, pageWindow(*host));
        EXPECT_EQ(std::vector<std::wstring>{variant.second}, host->pageVersions);
        // Wine has no HTML engine: the page cannot be written, the host stands.
        EXPECT_EQ("AbstractFlashHost::showFlashMissingPage(), the page is not shown, result=-7\n",
                  myAppLog.text());
        myAppLog.clear();
        host->setFocus();
    }
    EXPECT_TRUE(myHandlerLog.windowsCreated.empty());

    // The required version itself is enough.
    registerPlayer(versionedPlayer(L"9_0_0_0"));
    std::unique_ptr<test::RecordingFlashHost> host = detect();
    EXPECT_TRUE(host->pageVersions.empty());
    ASSERT_NE(nullptr, host->getSwfWindow());
    EXPECT_EQ(nullptr, pageWindow(*host));
    EXPECT_EQ(std::vector<SwfWindow*>{host->getSwfWindow()}, myHandlerLog.windowsCreated);
}

TEST_F(FlashMissingPageTest, ExitLinkEndsTheProgramThroughTheFacade)
{
    registerNoPlayer();
    HtmlWindow* page = pageWindow(*mySkyvane->createFlashHost());
    ASSERT_NE(nullptr, page);
    followLink(page, L"app://exit");
    EXPECT_TRUE(test::pumpUntil([&] { return mySkyvane->closes == 1; }, 3000));
}

TEST_F(FlashMissingPageTest, PlayerInstalledAfterGetFlashReplacesThePage)
{
    FlashPlayerRegistration::resetKey();
    const std::wstring standIn = FlashPlayerRegistration::readPlayerPath();
    ASSERT_FALSE(standIn.empty());
    installMovie(L"handshake.movie");
    registerNoPlayer();
    std::unique_ptr<test::RecordingFlashHost> host = detect();
    HtmlWindow* page = pageWindow(*host);
    ASSERT_NE(nullptr, page);

    followLink(page, L"app://getFlash");
    ASSERT_TRUE(test::pumpUntil([&] { return !host->openedAddresses.empty(); }, 3000));
    EXPECT_EQ(std::vector<std::wstring>{AbstractFlashHost::FLASH_DOWNLOAD_ADDRESS}, host->openedAddresses);
    test::pumpMessages(1200);
    EXPECT_EQ(nullptr, host->getSwfWindow());

    // The user installs the player.
    registerPlayer(standIn);
    ASSERT_TRUE(test::pumpUntil([&] { return host->getSwfWindow() != nullptr; }, 3000));
    EXPECT_EQ(nullptr, pageWindow(*host));
    EXPECT_EQ(1u, host->getChildren().size());
    ASSERT_TRUE(test::pumpUntil([&] { return myHandlerLog.movieReady == 1; }, 3000));

    // The watch has stopped.
    test::pumpMessages(1200);
    EXPECT_EQ(1u, myHandlerLog.windowsCreated.size());
}
