#pragma once

#include "product/FlashHandler.h"
#include "product/FlashHost.h"
#include "product/Skyvane.h"

#include "IFlashStandIn.h"
#include "LogCapture.h"
#include "MessageBoxCloser.h"
#include "MessagePump.h"
#include "TempDir.h"
#include "TempRegistryKey.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class HtmlWindow;

namespace test {

using Microsoft::WRL::ComPtr;

// What the product's handler was told; outlives the handler.
struct HandlerLog {
    std::vector<SwfWindow*> windowsCreated;
    int movieReady = 0;
    int shutdownDone = 0;
    // Told on the hang monitor's thread.
    std::atomic<int> notResponding{0};
    int handlersDeleted = 0;
    // What the handler answers and what the movie's commands changed.
    std::wstring role = L"desktop";
    bool debug = false;
    bool fullscreen = false;
    std::vector<std::wstring> changes;
    // Called by the handler's destructor.
    std::function<void()> onDelete;
    // Called when the movie confirmed its shutdown.
    std::function<void()> onShutdownDone;
};

class RecordingFlashHandler : public FlashHandler {
public:
    explicit RecordingFlashHandler(HandlerLog& log) : myLog(log) {}
    ~RecordingFlashHandler() override;

protected:
    void onSwfWindowCreated(SwfWindow* swf) override { myLog.windowsCreated.push_back(swf); }
    void onFlashNotResponding() override { ++myLog.notResponding; }
    void onMovieReady() override { ++myLog.movieReady; }
    void doShutdownDone() override
    {
        ++myLog.shutdownDone;
        if (myLog.onShutdownDone)
            myLog.onShutdownDone();
    }
    std::wstring getRole() override { return myLog.role; }
    bool isDebug() override { return myLog.debug; }
    bool isFullscreenMode() override { return myLog.fullscreen; }
    void setFullscreenMode(bool on) override
    {
        myLog.fullscreen = on;
        myLog.changes.push_back(on ? L"fullscreen on" : L"fullscreen off");
    }
    void setFullscreenDisplayMode() override { myLog.changes.push_back(L"display mode"); }

private:
    HandlerLog& myLog;
};

// A program's facade: the movie comes from the given folder, closing is
// counted.
class TestSkyvane : public Skyvane {
public:
    TestSkyvane(const std::wstring& installFolder, HandlerLog& log)
        : myInstallFolder(installFolder), myLog(log)
    {
    }

    std::wstring getInstallFolder() override { return myInstallFolder; }
    int closes = 0;

protected:
    FlashHandler* createFlashHandler() override { return new RecordingFlashHandler(myLog); }
    void close() override { ++closes; }

private:
    std::wstring myInstallFolder;
    HandlerLog& myLog;
};

// A flash host whose page road runs without a browser: it records what the
// Flash-missing page was told and the addresses it would open.
class RecordingFlashHost : public FlashHost {
public:
    RecordingFlashHost();

    std::vector<std::wstring> pageVersions;
    std::vector<std::wstring> openedAddresses;

protected:
    // Records "none" when no player is installed.
    void showFlashMissingPage(bool installed, const par::FileVersion& installedVersion,
                              const par::FileVersion& requiredVersion) override;
    void openDownloadPage(const std::wstring& address) override { openedAddresses.push_back(address); }
};

// A facade under a test application with a main window, in a single-threaded
// apartment. The Flash control is the stand-in registered in the prefix;
// other player registrations are written under a key of the test's own.
class ProductTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies a movie script of this folder in as the product movie.
    void installMovie(const std::wstring& script);
    void makeSkyvane() { mySkyvane = std::make_unique<TestSkyvane>(myFolder.path(), myHandlerLog); }
    // What the host reads from now on: no registration, or one whose default
    // value is the given text.
    void registerNoPlayer();
    void registerPlayer(const std::wstring& defaultValue);

    static HtmlWindow* pageWindow(AbstractFlashHost& host);
    static ComPtr<IFlashStandIn> standInOf(SwfWindow* swf);
    static std::vector<std::wstring> variableValues(IFlashStandIn* standIn, const std::wstring& name);
    // A page link, as the browser plays it: through the window's TranslateUrl.
    static void followLink(HtmlWindow* page, const std::wstring& url);

    MessageBoxCloser myBoxes;
    LogCapture myAppLog{"app"};
    TempDir myFolder;
    TempRegistryKey myPlayerKey;
    HandlerLog myHandlerLog;
    std::unique_ptr<TestApplication> myApp;
    std::unique_ptr<TestSkyvane> mySkyvane;
};

} // namespace test
