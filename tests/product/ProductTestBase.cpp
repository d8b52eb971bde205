#include "ProductTestBase.h"

#include "StandInVariables.h"

#include "product/FlashPlayerRegistration.h"

#include "htmlwindow/HtmlWindow.h"
#include "swfwindow/SwfWindow.h"

#include "util/RegistryUtil.h"
#include "util/Scoped.h"
#include "winui/Container.h"

namespace test {

RecordingFlashHandler::~RecordingFlashHandler()
{
    ++myLog.handlersDeleted;
    if (myLog.onDelete)
        myLog.onDelete();
}

RecordingFlashHost::RecordingFlashHost()
{
    par::FileVersion required;
    required.major = 9;
    setRequiredFlashVersion(required);
}

void RecordingFlashHost::showFlashMissingPage(bool installed, const par::FileVersion& installedVersion,
                                              const par::FileVersion& requiredVersion)
{
    pageVersions.push_back(installed ? installedVersion.toString() : L"none");
    FlashHost::showFlashMissingPage(installed, installedVersion, requiredVersion);
}

void ProductTestBase::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    myApp = std::make_unique<TestApplication>(SW_HIDE);
    myApp->myPersistPlacement = false;
    myApp->mainWindowFactory = [] { return new par::Container(RGB(0, 0, 0), WS_OVERLAPPEDWINDOW, 0); };
    ASSERT_TRUE(myApp->init());
}

void ProductTestBase::TearDown()
{
    mySkyvane.reset();
    myApp.reset();
    FlashPlayerRegistration::resetKey();
    OleUninitialize();
}

void ProductTestBase::installMovie(const std::wstring& script)
{
    const std::string folder = PRODUCT_MOVIES;
    const std::wstring from = L"Z:" + std::wstring(folder.begin(), folder.end()) + L"/" + script;
    ASSERT_TRUE(CopyFileW(from.c_str(), myFolder.file(FlashHost::MOVIE_FILE_NAME).c_str(), FALSE));
}

void ProductTestBase::registerNoPlayer()
{
    FlashPlayerRegistration::setKey(HKEY_CURRENT_USER, myPlayerKey.path() + L"\\none");
}

void ProductTestBase::registerPlayer(const std::wstring& defaultValue)
{
    const std::wstring path = myPlayerKey.path() + L"\\InprocServer32";
    par::ScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, par::openRegKeyForWrite(key.receive(), HKEY_CURRENT_USER, path));
    ASSERT_EQ(ERROR_SUCCESS, par::writeRegString(key.get(), L"", defaultValue));
    FlashPlayerRegistration::setKey(HKEY_CURRENT_USER, path);
}

HtmlWindow* ProductTestBase::pageWindow(AbstractFlashHost& host)
{
    for (par::Window* child : host.getChildren()) {
        if (HtmlWindow* page = dynamic_cast<HtmlWindow*>(child))
            return page;
    }
    return nullptr;
}

ComPtr<IFlashStandIn> ProductTestBase::standInOf(SwfWindow* swf)
{
    return swf ? test::standInOf(swf->getFlash()) : nullptr;
}

std::vector<std::wstring> ProductTestBase::variableValues(IFlashStandIn* standIn, const std::wstring& name)
{
    return test::variableValues(standIn, name);
}

void ProductTestBase::followLink(HtmlWindow* page, const std::wstring& url)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    ComPtr<IDocHostUIHandler> handler;
    ASSERT_EQ(S_OK, page->getWebBrowser(*browser.GetAddressOf()));
    ASSERT_EQ(S_OK, browser.As(&object));
    ASSERT_EQ(S_OK, object->GetClientSite(&site));
    ASSERT_EQ(S_OK, site.As(&handler));
    std::wstring copy(url);
    OLECHAR* translated = nullptr;
    ASSERT_EQ(S_OK, handler->TranslateUrl(0, &copy[0], &translated));
    CoTaskMemFree(translated);
}

} // namespace test
