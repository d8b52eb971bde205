#include "ProductTestBase.h"

#include "Bstr.h"

#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/SwfWindow.h"

#include "winui/Container.h"

using standin::Bstr;
using swfWindow::InfiniteLoopMonitor;
using test::ComPtr;

namespace {

// COM's answer when the control cannot be made; a class object of the
// process comes before the prefix's registration.
class UncreatableControl : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
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

class FlashHostTest : public test::ProductTestBase {
protected:
    void TearDown() override
    {
        // As in the programs: the facade goes before the main window.
        mySkyvane.reset();
        myMain.reset();
        ProductTestBase::TearDown();
    }

    std::string moviePath() const
    {
        const std::wstring path = myFolder.file(FlashHost::MOVIE_FILE_NAME);
        return std::string(path.begin(), path.end());
    }

    // The programs nest the host into a window that outlives the facade.
    SwfWindow* startNested(const wchar_t* script)
    {
        installMovie(script);
        makeSkyvane();
        myMain = std::make_unique<par::Container>(par::Container::NO_BACKGROUND, WS_OVERLAPPEDWINDOW, 0);
        myMain->addChild(mySkyvane->createFlashHost());
        EXPECT_TRUE(test::pumpUntil([&] { return myHandlerLog.movieReady == 1; }, 3000));
        return mySkyvane->getSwfWindow();
    }

    std::unique_ptr<par::Container> myMain;
};

} // namespace

TEST_F(FlashHostTest, MovieRoadEndsInTheShutdownHandshake)
{
    test::LogCapture stageLog("stageFlash");
    SwfWindow* swf = startNested(L"handshake.movie");
    ASSERT_NE(nullptr, swf);
    EXPECT_EQ(std::vector<SwfWindow*>{swf}, myHandlerLog.windowsCreated);
    EXPECT_TRUE(stageLog.contains("onProgress(percent=100)\n"));
    ComPtr<IFlashStandIn> standIn = standInOf(swf);
    ASSERT_TRUE(standIn);

    // Asked twice, the movie is told once; the program waits for the movie
    // however long it takes.
    mySkyvane->exit();
    mySkyvane->exit();
    EXPECT_EQ(std::vector<std::wstring>{L""}, variableValues(standIn.Get(), L"shutdown"));
    test::pumpMessages(500);
    EXPECT_EQ(0, mySkyvane->closes);
    EXPECT_EQ(0, myHandlerLog.shutdownDone);

    const Bstr shutdownDone(
        L"<invoke name=\"shutdownDone\" returntype=\"xml\"><arguments></arguments></invoke>");
    Bstr answer;
    ASSERT_EQ(S_OK, standIn->FireFlashCall(shutdownDone.get(), answer.out()));
    EXPECT_EQ(L"", answer.text());
    EXPECT_EQ(1, myHandlerLog.shutdownDone);
    EXPECT_EQ(0, mySkyvane->closes);
    EXPECT_EQ("", myAppLog.text());
}

TEST_F(FlashHostTest, ExitAskedForWhileTheMovieConfirmsInsideTheWriteDoesNotAskAgain)
{
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", L"set");
    SwfWindow* swf = startNested(L"prompt.movie");
    SetEnvironmentVariableW(L"FLASH_STANDIN_EAGER", nullptr);
    ASSERT_NE(nullptr, swf);
    ComPtr<IFlashStandIn> standIn = standInOf(swf);
    ASSERT_TRUE(standIn);
    myHandlerLog.onShutdownDone = [&] {
        if (myHandlerLog.shutdownDone == 1)
            mySkyvane->exit();
    };

    mySkyvane->exit();
    EXPECT_EQ(std::vector<std::wstring>{L""}, variableValues(standIn.Get(), L"shutdown"));
    EXPECT_EQ(1, myHandlerLog.shutdownDone);
    EXPECT_EQ(0, mySkyvane->closes);
}

TEST_F(FlashHostTest, ShutdownThatCannotReachTheMovieClosesAtOnce)
{
    SwfWindow* swf = startNested(L"handshake.movie");
    ASSERT_NE(nullptr, swf);
    ComPtr<IFlashStandIn> standIn = standInOf(swf);
    ASSERT_TRUE(standIn);
    ASSERT_EQ(S_OK, standIn->SetVariableFailure(Bstr(L"shutdown").get(), E_FAIL));

    // The movie will never confirm: each exit request closes as without it.
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);
    mySkyvane->exit();
    EXPECT_EQ(2, mySkyvane->closes);
    EXPECT_TRUE(variableValues(standIn.Get(), L"shutdown").empty());
    EXPECT_NE(std::string::npos, myAppLog.text().find("FlashHost::shutdown(), the movie is not told"))
        << myAppLog.text();
}

TEST_F(FlashHostTest, FacadeTakesItsNestedHostAlongBeforeTheHandler)
{
    SwfWindow* swf = startNested(L"late.movie");
    ASSERT_NE(nullptr, swf);
    ASSERT_TRUE(swf->getInfiniteLoopMonitor()->isEnabled());
    const HWND swfHandle = swf->getHandle();
    bool movieWindowAtHandlerDeletion = true;
    Skyvane* instanceAtHandlerDeletion = mySkyvane.get();
    myHandlerLog.onDelete = [&] {
        movieWindowAtHandlerDeletion = IsWindow(swfHandle) != FALSE;
        instanceAtHandlerDeletion = Skyvane::instance();
    };
    mySkyvane.reset();

    EXPECT_FALSE(movieWindowAtHandlerDeletion);
    EXPECT_EQ(nullptr, instanceAtHandlerDeletion);
    EXPECT_EQ(nullptr, Skyvane::instance());
    EXPECT_TRUE(myMain->getChildren().empty());
    // The movie's timed events come due now; with the movie window gone they
    // reach nothing.
    test::pumpMessages(800);
    EXPECT_EQ(1, myHandlerLog.movieReady);
    EXPECT_EQ(0, myHandlerLog.shutdownDone);
    EXPECT_EQ(1, myHandlerLog.handlersDeleted);
}

TEST_F(FlashHostTest, HangReportReachesTheHandlerFromTheMonitorThread)
{
    SwfWindow* swf = startNested(L"handshake.movie");
    ASSERT_NE(nullptr, swf);
    ASSERT_TRUE(swf->getInfiniteLoopMonitor()->isEnabled());
    standInOf(swf)->SetHang(VARIANT_TRUE);
    const unsigned limit = InfiniteLoopMonitor::IDLE_MS + InfiniteLoopMonitor::ANSWER_TIMEOUT_MS + 3000;
    ASSERT_TRUE(test::pumpUntil([&] { return myHandlerLog.notResponding == 1; }, limit));
    EXPECT_TRUE(myAppLog.contains("Flash did not responded within 10 seconds, it maybe an infinite loop or a "
                                  "time consuming operation.\n"));
}

TEST_F(FlashHostTest, MissingMovieLeavesAnEmptyMovieWindow)
{
    makeSkyvane();
    mySkyvane->createFlashHost();
    ASSERT_NE(nullptr, mySkyvane->getSwfWindow());
    EXPECT_EQ("FlashHost: SWF file not found:\"" + moviePath() + "\"\n", myAppLog.text());
    EXPECT_EQ(1u, myHandlerLog.windowsCreated.size());
    // No movie says it is ours.
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
    EXPECT_TRUE(
        myAppLog.contains("FlashHost::createSwfWindow(), no Flash control, the background is not set\n"));
    EXPECT_TRUE(myAppLog.contains("FlashHost.loadSwf(), no Flash control, the movie is not loaded: "));
    EXPECT_FALSE(host->loadSwf(swf));
    mySkyvane->exit();
    EXPECT_EQ(1, mySkyvane->closes);
}
