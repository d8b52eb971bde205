#pragma once

#include "htmlwindow/HtmlWindow.h"

#include "MessageBoxCloser.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>
#include <vector>

namespace test {

using Microsoft::WRL::ComPtr;

// Records the URL of every BeforeNavigate2 the browser fires.
class NavigationListener : public HtmlWindow::Listener {
public:
    std::vector<std::wstring> urls;

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override;
};

// Page windows need the application's default window class and a
// single-threaded apartment that outlives them; boxes are closed and kept.
class HtmlWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The sites as the browser reaches them: through its client site.
    static ComPtr<IOleClientSite> clientSite(HtmlWindow& window);
    static ComPtr<IOleInPlaceSite> inPlaceSite(HtmlWindow& window);
    static ComPtr<IDocHostUIHandler> uiHandler(HtmlWindow& window);
    static ComPtr<IOleInPlaceFrame> frame(HtmlWindow& window);

    // Waits until the listener has seen that many navigations.
    static bool waitForNavigations(const NavigationListener& listener, std::size_t count);

    TestApplication myApplication;
    MessageBoxCloser myBoxes;
};

} // namespace test
