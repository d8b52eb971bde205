#pragma once

#include "product/FlashHandler.h"
#include "product/FlashHost.h"
#include "product/Skyvane.h"

#include "IFlashStandIn.h"
#include "LogCapture.h"
#include "MessageBoxCloser.h"
#include "TempDir.h"
#include "TempRegistryKey.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

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
    int notResponding = 0;
    int handlersMade = 0;
    int handlersDeleted = 0;
    // Called by the handler's destructor.
    std::function<void()> onDelete;
};

class RecordingFlashHandler : public FlashHandler {
public:
    explicit RecordingFlashHandler(HandlerLog& log);
    ~RecordingFlashHandler() override;

protected:
    void onSwfWindowCreated(SwfWindow* swf) override { myLog.windowsCreated.push_back(swf); }
    void onFlashNotResponding() override { ++myLog.notResponding; }
    void onMovieReady() override { ++myLog.movieReady; }
    void doShutdownDone() override { ++myLog.shutdownDone; }

private:
    HandlerLog& myLog;
};

// A program's facade: the movie comes from the given folder, closing is
// counted.
class TestSkyvane : public Skyvane {
public:
    TestSkyvane(const std::wstring& installFolder, HandlerLog& log);

    std::wstring getInstallFolder() override { return myInstallFolder; }
    int closes = 0;

protected:
    FlashHandler* createFlashHandler() override;
    void close() override { ++closes; }

private:
    std::wstring myInstallFolder;
    HandlerLog& myLog;
};

// A flash host whose page road can be watched without a browser: it records
// what the Flash-missing page was told and the addresses it would open.
class RecordingFlashHost : public FlashHost {
public:
    struct Page {
        bool installed;
        std::wstring installedVersion;
    };

    RecordingFlashHost();

    std::vector<Page> pages;
    std::vector<std::wstring> openedAddresses;

protected:
    void showFlashMissingPage(bool installed, const par::FileVersion& installedVersion,
                              const par::FileVersion& requiredVersion) override;
    void openDownloadPage(const std::wstring& address) override;
};

// One facade under a test application with a main window, in a
// single-threaded apartment; the Flash control is the stand-in registered in
// the prefix. Player registrations other than that one are written under a
// key of the test's own.
class ProductTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies a movie script of this folder in as the product movie.
    void installMovie(const std::wstring& script);
    void makeSkyvane();

    // The player registration the host reads from now on: none, or a key
    // whose default value is the given text.
    void registerNoPlayer();
    void registerPlayer(const std::wstring& defaultValue);
    // The registered stand-in's file, of version 10.0.0.0.
    static std::wstring standInPath();
    // Files of this test's build that carry the given Flash Player version.
    static std::wstring versionedPlayerPath(const std::wstring& suffix);

    static HtmlWindow* pageWindow(AbstractFlashHost& host);
    // The movie's control, steered as the movie.
    static ComPtr<IFlashStandIn> standInOf(SwfWindow* swf);
    // Writes of a movie variable, oldest first.
    static std::vector<std::wstring> variableValues(IFlashStandIn* standIn, const std::wstring& name);
    // Plays a page link as the browser does: through the window's TranslateUrl.
    static void followLink(HtmlWindow* page, const std::wstring& url);
    bool pumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 3000);

    MessageBoxCloser myBoxes;
    LogCapture myAppLog{"app"};
    TempDir myFolder;
    TempRegistryKey myPlayerKey;
    HandlerLog myHandlerLog;
    std::unique_ptr<TestApplication> myApp;
    std::unique_ptr<TestSkyvane> mySkyvane;
};

} // namespace test
