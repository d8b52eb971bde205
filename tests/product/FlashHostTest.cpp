#include "ProductTestBase.h"

#include "Bstr.h"

#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/SwfWindow.h"

#include "winui/Container.h"

using standin::Bstr;
using test::ComPtr;
using test::ProductTestBase;

namespace {

// Answers for the Flash control's class as COM does when the control cannot
// be made; a class object of the process comes before the prefix's one.
class UncreatableControl : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) override
    {
        *object = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

class FlashHostTest : public ProductTestBase {
protected:
    std::string moviePath() const
    {
        const std::wstring path = myFolder.file(FlashHost::MOVIE_FILE_NAME);
        return std::string(path.begin(), path.end());
    }
};

} // namespace

TEST_F(FlashHostTest, MovieRoadEndsInTheShutdownHandshake)
{
    installMovie(L"handshake.movie");
    makeSkyvane();
    test::LogCapture stageLog("stageFlash");
    par::Container main(par::Container::NO_BACKGROUND, WS_OVERLAPPEDWINDOW, 0);
    FlashHost* host = mySkyvane->createFlashHost();
    main.addChild(host);

    SwfWindow* swf = mySkyvane->getSwfWindow();
    ASSERT_NE(nullptr, swf);
    EXPECT_EQ(swf, host->getFirstChild());
    EXPECT_EQ(std::vector<SwfWindow*>{swf}, myHandlerLog.windowsCreated);
    ComPtr<IFlashStandIn> standIn = standInOf(swf);
    ASSERT_TRUE(standIn);

    ASSERT_TRUE(pumpUntil([&] { return myHandlerLog.movieReady == 1; }));
    EXPECT_TRUE(stageLog.contains("onProgress(percent=100)\n"));
    EXPECT_TRUE(swf->getInfiniteLoopMonitor()->isEnabled());

    // Asked twice, the movie is told once; nothing ends the program until
    // the movie is done.
    mySkyvane->exit();
    mySkyvane->exit();
    EXPECT_EQ(std::vector<std::wstring>{L""}, variableValues(standIn.Get(), L"shutdown"));
    pumpUntil([] { return false; }, 500);
    EXPECT_EQ(0, mySkyvane->closes);
    EXPECT_EQ(0, myHandlerLog.shutdownDone);
    EXPECT_EQ(swf, mySkyvane->getSwfWindow());

    Bstr answer;
    ASSERT_EQ(S_OK, standIn->FireFlashCall(
                        Bstr(L"<invoke name=\"shutdownDone\" returntype=\"xml\"><arguments></arguments></invoke>").get(),
                        answer.out()));
    EXPECT_EQ(L"", answer.text());
    EXPECT_EQ(1, myHandlerLog.shutdownDone);
    EXPECT_EQ(0, mySkyvane->closes);
    EXPECT_EQ("", myAppLog.text());
    // As the programs do: the facade goes before the window it nested into.
    standIn.Reset();
    mySkyvane.reset();
}

TEST_F(FlashHostTest, MissingMovieLeavesAnEmptyMovieWindow)
{
    makeSkyvane();
    mySkyvane->createFlashHost();
    SwfWindow* swf = mySkyvane->getSwfWindow();
    ASSERT_NE(nullptr, swf);
    EXPECT_EQ("FlashHost: SWF file not found:\"" + moviePath() + "\"\n", myAppLog.text());
    EXPECT_EQ(1u, myHandlerLog.windowsCreated.size());

    // No movie, so nobody says it is ours.
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);
}

TEST_F(FlashHostTest, RefusedMovieIsLoggedWithItsResult)
{
    ASSERT_TRUE(test::writeFile(myFolder.file(FlashHost::MOVIE_FILE_NAME), "not a movie\n"));
    makeSkyvane();
    mySkyvane->createFlashHost();
    ASSERT_NE(nullptr, mySkyvane->getSwfWindow());
    EXPECT_EQ("failure to load desktop swf, hr=-2147467259, path: " + moviePath() + "\n", myAppLog.text());
}

TEST_F(FlashHostTest, HostStandsWithoutAControl)
{
    installMovie(L"handshake.movie");
    UncreatableControl uncreatable;
    DWORD registration = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(ShockwaveFlashObjects::CLSID_ShockwaveFlash, &uncreatable,
                                          CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration));
    makeSkyvane();
    FlashHost* host = mySkyvane->createFlashHost();
    CoRevokeClassObject(registration);

    SwfWindow* swf = mySkyvane->getSwfWindow();
    ASSERT_NE(nullptr, swf);
    EXPECT_EQ(nullptr, swf->getFlash());
    EXPECT_TRUE(myAppLog.contains("FlashHost::createSwfWindow(), no Flash control, the background is not set\n"));
    EXPECT_TRUE(myAppLog.contains("FlashHost.loadSwf(), no Flash control, the movie is not loaded: "));
    EXPECT_FALSE(host->loadSwf(swf));
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);
}
