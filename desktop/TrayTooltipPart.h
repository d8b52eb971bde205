#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace par {
class CustomWindow;
class Window;
} // namespace par

// The rich hover tooltip of the tray icon: an HTML page in a small
// borderless top-most popup next to the cursor, sized to the page. UI
// thread only.
class TrayTooltipPart {
public:
    static constexpr int MARGIN = 15;

    // What the tooltip needs of its page window; the program's page is an
    // HtmlWindow showing the template.
    class Page {
    public:
        virtual ~Page() = default;
        // Owned by the popup once added to it.
        virtual par::Window* getWindow() = 0;
        virtual void setBrowserSize(int width, int height) = 0;
        virtual HRESULT getContentSize(SIZE& size) = 0;
        // Sets the inner HTML of the element with the id; false when the
        // page has no such element.
        virtual bool setElementHtml(const std::wstring& id, const std::wstring& html) = 0;
    };
    // Makes the page showing the template; the tooltip is told to place
    // itself again through place().
    using PageFactory = std::function<std::unique_ptr<Page>(TrayTooltipPart* tooltip, const std::wstring& templateText)>;

    // Without a factory the page is an HtmlWindow.
    explicit TrayTooltipPart(PageFactory factory = PageFactory());
    ~TrayTooltipPart();
    TrayTooltipPart(const TrayTooltipPart&) = delete;
    TrayTooltipPart& operator=(const TrayTooltipPart&) = delete;

    void setAnchor(int x, int y);
    void setContent(const std::wstring& html);
    void setShown(bool shown);
    bool isVisible() const;
    // Sizes the popup to the page and puts it next to the anchor.
    void place();

    const std::wstring& getTemplate() const { return myTemplate; }
    par::CustomWindow* getPopup() const { return myPopup.get(); }

private:
    void makeWindow();
    void applyShown();

    PageFactory myFactory;
    POINT myAnchor = {0, 0};
    std::unique_ptr<par::CustomWindow> myPopup;
    // Its window belongs to the popup.
    std::unique_ptr<Page> myPage;
    bool myMakingPage = false;
    std::wstring myTemplate;
    bool myShown = false;
    std::wstring myContent;
};
