#include "desktop/TrayTooltipPart.h"

#include "htmlwindow/HtmlWindow.h"

#include "app/Application.h"
#include "util/ExceptionUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "winui/CustomWindow.h"
#include "winui/FlowLayout.h"

#include <comdef.h>
#include <mshtml.h>

namespace {

const DISPID DOWNLOAD_COMPLETE = 104;
const DISPID ON_QUIT = 253;

// Places the tooltip again once the page is loaded, when its size is known.
class PageListener : public HtmlWindow::Listener {
public:
    PageListener(TrayTooltipPart* tooltip, HtmlWindow* page) : myTooltip(tooltip), myPage(page) {}

    void detach()
    {
        if (myPage)
            myPage->removeListener(this);
        myPage = nullptr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        switch (id) {
        case DOWNLOAD_COMPLETE:
            // The browser's frames lie below.
            par::callGuarded("TrayTooltipPart page listener", [this] { myTooltip->place(); });
            return S_OK;
        case ON_QUIT:
            detach();
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    TrayTooltipPart* myTooltip;
    HtmlWindow* myPage;
};

// The program's page: the template in an HtmlWindow.
class HtmlPage : public TrayTooltipPart::Page {
public:
    HtmlPage(TrayTooltipPart* tooltip, const std::wstring& templateText) : myWindow(new HtmlWindow(L"", false))
    {
        myListener = std::make_unique<PageListener>(tooltip, myWindow);
        if (FAILED(myWindow->addListener(myListener.get())))
            myListener.reset();
        myWindow->setScrollbars(false);
        try {
            myWindow->setHtml(templateText);
        } catch (const char* error) {
            par::logSevere(std::string("TrayTooltipPart, the template is not shown: ") + error);
        }
    }

    ~HtmlPage() override
    {
        if (myListener)
            myListener->detach();
    }

    par::Window* getWindow() override { return myWindow; }
    void setBrowserSize(int width, int height) override { myWindow->setBrowserSize(width, height); }
    HRESULT getContentSize(SIZE& size) override { return myWindow->getContentSize(size); }

    bool setElementHtml(const std::wstring& id, const std::wstring& html) override
    {
        IHTMLElement* element = nullptr;
        if (FAILED(myWindow->getElementById(id, element)) || !element)
            return false;
        element->put_innerHTML(_bstr_t(html.c_str()));
        element->Release();
        return true;
    }

private:
    // Owned by the popup.
    HtmlWindow* myWindow;
    std::unique_ptr<PageListener> myListener;
};

std::wstring commonDataFolder()
{
    par::Application* application = par::Application::instance();
    return application ? application->getApplicationCommonDataPath() : std::wstring();
}

} // namespace

TrayTooltipPart::TrayTooltipPart(PageFactory factory) : myFactory(std::move(factory))
{
    if (!myFactory) {
        myFactory = [](TrayTooltipPart* tooltip, const std::wstring& templateText) {
            return std::unique_ptr<Page>(new HtmlPage(tooltip, templateText));
        };
    }
    const std::wstring folder = commonDataFolder();
    if (folder.empty())
        return;
    myTemplate = par::readTextFile(folder + L"\\trayTooltipTemplate.html");
    par::replaceAll(myTemplate, L"<<baseUrl>>", (folder + L"\\stub.html").c_str());
}

TrayTooltipPart::~TrayTooltipPart()
{
    // The page's listener lets go before the popup takes the page window.
    myPage.reset();
    myPopup.reset();
}

void TrayTooltipPart::makeWindow()
{
    if (!myPopup) {
        myPopup = std::make_unique<par::CustomWindow>(WS_POPUP | WS_BORDER, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                                      "ParDefaultWindowClass");
        myPopup->setControlParent(true);
        myPopup->setNoErase(true);
        myPopup->setVisible(false, false);
        myPopup->setLayout(new par::FlowLayout(par::FlowLayout::VERTICAL));
    }
    // A page whose making failed is tried again by the next call; the page's
    // listener may place the tooltip while the factory is making it.
    if (myPage || myMakingPage)
        return;
    myMakingPage = true;
    try {
        myPage = myFactory(this, myTemplate);
    } catch (...) {
        myMakingPage = false;
        throw;
    }
    myMakingPage = false;
    static_cast<par::FlowLayout*>(myPopup->getLayout())
        ->setConstraints(myPage->getWindow(), {par::FlowLayout::WEIGHTED, 0.5});
    myPopup->addChild(myPage->getWindow());
    place();
}

void TrayTooltipPart::place()
{
    makeWindow();
    // The page's listener may ask while the factory is still making the page.
    if (!myPage)
        return;
    myPage->setBrowserSize(0, 0);
    // A page without a document measures nothing.
    SIZE content = {0, 0};
    if (FAILED(myPage->getContentSize(content)))
        content = {0, 0};
    const int width = content.cx + 2;
    const int height = content.cy + 2;
    myPage->setBrowserSize(width, height);

    int x = myAnchor.x;
    int y = myAnchor.y - MARGIN - height;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    if (x + width > screenWidth)
        x = screenWidth - width - MARGIN;
    if (x < 0)
        x = MARGIN;
    if (y < 0)
        y = myAnchor.y + MARGIN;
    myPopup->setBounds(x, y, width, height);
}

void TrayTooltipPart::setAnchor(int x, int y)
{
    myAnchor = {x, y};
    place();
}

void TrayTooltipPart::setContent(const std::wstring& html)
{
    myContent = html;
    makeWindow();
    if (!myPage)
        return;
    if (!myPage->setElementHtml(L"plate", html)) {
        par::logSevere("TrayTooltipPart.setContent(), plate not found, content was not set");
        return;
    }
    place();
    applyShown();
}

void TrayTooltipPart::setShown(bool shown)
{
    if (shown == myShown)
        return;
    myShown = shown;
    applyShown();
}

bool TrayTooltipPart::isVisible() const
{
    return myPopup && IsWindowVisible(myPopup->getHandle());
}

void TrayTooltipPart::applyShown()
{
    const bool wanted = myShown && !myContent.empty();
    if (wanted == isVisible())
        return;
    if (wanted) {
        makeWindow();
        place();
        SetWindowPos(myPopup->getHandle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        myPopup->setVisible(true, false);
    } else if (myPopup) {
        myPopup->setVisible(false, false);
    }
}
