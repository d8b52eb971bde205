#include "swfwindow/CommandEventManager.h"
#include "swfwindow/SwfWindow.h"

#include "LogCapture.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class NoCommands : public swfWindow::CommandEventManager::Listener {
public:
    void handleCommandEvent(const std::string&, const std::string&, const std::string&,
                            IXMLDOMDocument2Ptr) override
    {
    }
};

// Answers for the Flash control's class as COM does when nothing is
// registered. Wine's COM reads the classes root directly, so a registration
// in the shared prefix cannot be hidden behind another key; a class object
// of the process comes first instead.
class UnregisteredClass : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
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

class SwfWindowWithoutControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(S_OK, CoRegisterClassObject(ShockwaveFlashObjects::CLSID_ShockwaveFlash, &unregistered,
                                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration));
        app = std::make_unique<test::TestApplication>();
        window = std::make_unique<SwfWindow>();
    }

    void TearDown() override
    {
        window.reset();
        app.reset();
        CoRevokeClassObject(registration);
        OleUninitialize();
    }

    UnregisteredClass unregistered;
    DWORD registration = 0;
    test::LogCapture appLog{"app"};
    std::unique_ptr<test::TestApplication> app;
    std::unique_ptr<SwfWindow> window;
};

TEST_F(SwfWindowWithoutControlTest, WindowStandsWithoutControlAfterOneLogLine)
{
    EXPECT_TRUE(IsWindow(window->getHandle()));
    EXPECT_EQ(nullptr, window->getFlash());
    EXPECT_EQ("SwfWindow(). Failed to create Shockwave component.\n", appLog.text());

    MoveWindow(window->getHandle(), 0, 0, 300, 200, FALSE);
    window->setFocus();
}

TEST_F(SwfWindowWithoutControlTest, MovieOperationsFailWithoutTouchingAnything)
{
    appLog.clear();
    EXPECT_EQ(-1, window->setVariable("name", "value"));
    window->sendXmlCommand(par::createXmlDocument("root"));

    std::wstring result = L"kept";
    EXPECT_FALSE(window->callFunctionString(result, L"getOptionsValue"));
    EXPECT_EQ(L"kept", result);
    EXPECT_FALSE(window->callFunction(L"trayAdd"));
    EXPECT_FALSE(window->isParProgram());
    EXPECT_EQ(L"", window->getLocaleString(L"IDS_EXIT"));

    NoCommands listener;
    window->getCommandEventManager()->addListener(&listener, "tray", nullptr);
    window->getCommandEventManager()->addListener(&listener, "tray", nullptr);
    EXPECT_EQ("CommandEventManager::addListener(), the listener is already installed, serviceId=tray\n",
              appLog.text());
}

TEST_F(SwfWindowWithoutControlTest, WindowsLeaveOleAsTheyFoundIt)
{
    window.reset();
    window = std::make_unique<SwfWindow>();
    window.reset();
    // Balanced, the fixture's own initialisation is the only one left.
    OleUninitialize();
    const HRESULT fresh = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(S_OK, fresh) << "OLE is still initialised on this thread";
    if (SUCCEEDED(fresh))
        CoUninitialize();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
}

} // namespace
