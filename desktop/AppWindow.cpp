#include "desktop/AppWindow.h"

#include "desktop/App.h"
#include "desktop/AppController.h"
#include "desktop/AppSkyvane.h"
#include "desktop/TrayPart.h"
#include "resources/desktop/resource.h"

#include "swfwindow/SwfWindow.h"

#include "util/Log.h"
#include "util/RegistryUtil.h"
#include "util/Scoped.h"
#include "util/StringUtil.h"
#include "util/XmlUtil.h"
#include "winui/Container.h"
#include "winui/FlowLayout.h"
#include "winui/FullscreenWindow.h"

#include <algorithm>
#include <memory>

namespace {

const par::FlowLayout::Constraints FILL = {par::FlowLayout::WEIGHTED, 0.5};

// Owned by the holder.
par::Container* makeContainer(par::Window* holder, const char* name)
{
    auto* container = new par::Container(holder, par::Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT);
    container->setLayout(new par::FlowLayout(par::FlowLayout::VERTICAL));
    container->setText(name);
    return container;
}

} // namespace

AppWindow::AppWindow() : par::ApplicationWindow(WS_OVERLAPPEDWINDOW, WS_EX_CONTROLPARENT, "par.QuorMain")
{
    setTitle(par::Application::loadString(IDS_PRODUCT_TITLE));
    HICON icon = LoadIconA(par::Application::getInstanceHandle(), MAKEINTRESOURCEA(IDI_PROGRAM));
    sendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    sendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    setNoErase(true);
}

AppWindow::~AppWindow()
{
    myTrayPart.reset();
}

void AppWindow::createControls()
{
    auto* layout = new par::FlowLayout(par::FlowLayout::VERTICAL);
    setLayout(layout);
    par::Container* mainContainer = makeContainer(this, "mainContainer");
    myContentHost = makeContainer(mainContainer, "myContentHost");
    static_cast<par::FlowLayout*>(mainContainer->getLayout())->setConstraints(myContentHost, FILL);
    layout->setConstraints(mainContainer, FILL);
    myFullscreenWindow = new par::FullscreenWindow(this);
    doLayout();
    if (App::getInstance()->getMode() == App::MODE_APP)
        myTrayPart = std::make_unique<TrayPart>(this);
}

void AppWindow::nestFlashHost(par::Window* flashHost, par::Container* target)
{
    if (!target)
        target = myContentHost;
    if (!flashHost || flashHost->getParent() == target)
        return;
    if (par::Window* parent = flashHost->getParent())
        parent->removeChild(flashHost);
    target->addChild(flashHost);
    fill(target, flashHost);
}

void AppWindow::placeFlashHost(par::Window* flashHost)
{
    if (flashHost && flashHost->getParent() == myContentHost)
        fill(myContentHost, flashHost);
}

void AppWindow::fill(par::Container* target, par::Window* child)
{
    static_cast<par::FlowLayout*>(target->getLayout())->setConstraints(child, FILL);
    ShowWindow(child->getHandle(), SW_SHOWNA);
    target->doLayout();
}

void AppWindow::setVisible(bool visible, bool activate)
{
    if ((IsWindowVisible(getHandle()) != FALSE) == visible)
        return;
    par::ApplicationWindow::setVisible(visible, activate);
}

LRESULT AppWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    App* app = App::getInstance();
    if (!app)
        return par::ApplicationWindow::handleMessage(message, wParam, lParam);
    AppController* controller = app->getAppController();
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE || !controller)
            break;
        if (app->isFullscreen())
            controller->setFullscreen(false, true);
        else
            controller->setOpen(false);
        return 1;
    case WM_COMMAND:
        if (!controller)
            break;
        switch (LOWORD(wParam)) {
        case ID_EXIT:
            if (app->getMode() == App::MODE_APP && app->isFullscreen())
                controller->setFullscreen(false, true);
            else
                app->requestExit();
            return 0;
        case ID_OPEN:
            controller->setOpen(true);
            return 0;
        case ID_TOGGLE_FULLSCREEN:
            if (app->getMode() == App::MODE_APP)
                controller->setFullscreen(!app->isFullscreen(), true);
            return 0;
        default:
            break;
        }
        break;
    case WM_SETFOCUS:
        if (par::Window* first = myContentHost ? myContentHost->getFirstChild() : nullptr)
            first->setFocus();
        break;
    case WM_CLOSE:
        app->requestExit();
        return 0;
    case WM_QUERYENDSESSION:
        app->shutdownBlockReasonCreate(getHandle(), L"Saving settings...");
        return 1;
    case WM_ENDSESSION:
        app->shutdownBlockReasonDestroy(getHandle());
        saveOptions();
        return 0;
    default:
        break;
    }
    return par::ApplicationWindow::handleMessage(message, wParam, lParam);
}

void AppWindow::saveOptions()
{
    AppSkyvane* skyvane = App::getInstance()->getSkyvane();
    SwfWindow* swf = skyvane ? skyvane->getSwfWindow() : nullptr;
    std::wstring answer;
    if (!swf || !swf->callFunctionString(answer, L"hackSaveOptions")) {
        par::logSevere("AppWindow::saveOptions(), the movie did not hand its options over");
        return;
    }
    try {
        IXMLDOMDocument2Ptr options = par::createXmlDocument();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        if (FAILED(options->loadXML(_bstr_t(answer.c_str()), &loaded)) || loaded != VARIANT_TRUE) {
            par::logSevere("AppWindow::saveOptions(), the options are not XML: " + par::toNarrow(answer));
            return;
        }
        IXMLDOMElementPtr root;
        options->get_documentElement(&root);
        const std::wstring path = par::getXmlAttributeByPath(root, L"path");
        if (path.empty()) {
            par::logSevere("AppWindow::saveOptions(), the options name no file: " + par::toNarrow(answer));
            return;
        }
        IXMLDOMDocument2Ptr indented = par::formatXmlDocument(options);
        if (FAILED(indented->save(_variant_t(path.c_str()))))
            par::logSevere("AppWindow::saveOptions(), the options are not saved to " + par::toNarrow(path));
    } catch (const _com_error& error) {
        par::logSevere("AppWindow::saveOptions(), hr=" + par::toHexString(static_cast<int>(error.Error())));
    }
}

void AppWindow::restorePlacement(bool activate)
{
    par::UiApplication* application = par::UiApplication::instance();
    par::ScopedRegKey key;
    if (application->getShowCommand() == SW_SHOWMINIMIZED
        || par::openRegKeyForRead(key.receive(), application->getRegistryRoot(), application->getRegistryKeyPath())
               == ERROR_SUCCESS) {
        par::ApplicationWindow::restorePlacement(activate);
        return;
    }
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN) - 50;
    const int width = std::min(screenWidth, 1000);
    const int height = std::min(screenHeight, 700);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(getHandle(), &placement);
    placement.rcNormalPosition.left = (screenWidth - width) / 2;
    placement.rcNormalPosition.top = (screenHeight - height) / 2;
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + width;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + height;
    placement.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(getHandle(), &placement);
}
