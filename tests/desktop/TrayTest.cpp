#include "desktop/TemperatureIcon.h"
#include "desktop/TrayPart.h"
#include "desktop/TrayTooltipPart.h"
#include "desktop/TrayUi.h"
#include "resources/desktop/resource.h"

#include "LogCapture.h"
#include "MessagePump.h"
#include "TestApplication.h"

#include "util/Scoped.h"
#include "winui/CustomWindow.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The tray against the real shell of the prefix (Wine keeps the icons in a
// tray window of its own), without a movie unless a test says otherwise.

namespace {

// True while the shell holds the icon of the window (a modify of nothing).
bool shellHasIcon(HWND window)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = TrayUi::ICON_ID;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

void removeIconBehindTheTraysBack(HWND window)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = sizeof record;
    record.hWnd = window;
    record.uID = TrayUi::ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &record);
}

std::vector<DWORD> iconPixels(HICON icon, bool mask)
{
    ICONINFO info = {};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    par::ScopedBitmap maskBitmap(info.hbmMask);
    par::ScopedBitmap colorBitmap(info.hbmColor);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = TemperatureIcon::EDGE;
    format.bmiHeader.biHeight = -TemperatureIcon::EDGE;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(TemperatureIcon::EDGE * TemperatureIcon::EDGE);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(TemperatureIcon::EDGE,
              GetDIBits(screen, mask ? maskBitmap.get() : colorBitmap.get(), 0, TemperatureIcon::EDGE,
                        pixels.data(), &format, DIB_RGB_COLORS));
    ReleaseDC(nullptr, screen);
    for (DWORD& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

int countOf(const std::vector<DWORD>& pixels, DWORD value)
{
    int count = 0;
    for (DWORD pixel : pixels)
        count += pixel == value;
    return count;
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        myMainWindow = std::make_unique<par::CustomWindow>(WS_POPUP, 0, "ParDefaultWindowClass");
        myMainWindow->setVisible(false, false);
    }
    HWND main() const { return myMainWindow->getHandle(); }

    test::TestApplication myApplication;
    par::ScopedOleInitialize myOle;
    std::unique_ptr<par::CustomWindow> myMainWindow;
};

class TrayTooltipTest : public ::testing::Test {
protected:
    test::TestApplication myApplication;
    par::ScopedOleInitialize myOle;
};

} // namespace

TEST(TemperatureIconTest, LayoutPlacesDigitsAndDegreeForEveryRule)
{
    struct Row {
        double t;
        TemperatureIcon::Metrics measured;
        bool transparent;
        TemperatureIcon::Layout expected;
    };
    const Row rows[] = {
        // Centred, room for the degree sign.
        {5, {7, 16, 3, 3, 4}, true, {5, 0, 12, 0}},
        // One pixel narrower than measured.
        {1, {7, 16, 3, 3, 4}, false, {5, 0, 11, 0}},
        // Overflow: pushed to the edge, the degree sign up in the corner.
        {25, {15, 16, 3, 3, 4}, true, {0, 1, 12, -3}},
        {25, {15, 16, 3, 3, 4}, false, {1, 2, 12, -2}},
        // A negative single digit that overflows stays at its height.
        {-5, {12, 16, 3, 3, 4}, false, {1, 0, 12, -2}},
        // Two negative digits: smaller font, one pixel to the left on a colour.
        {-15, {16, 14, 2, 3, 4}, false, {0, 3, 12, -2}},
        {-15, {16, 14, 2, 3, 4}, true, {0, 3, 12, -3}},
        // Three digits start at the left edge.
        {105, {14, 14, 2, 3, 4}, true, {-1, 2, 12, 2}},
        {105, {14, 14, 2, 3, 4}, false, {1, 3, 12, -2}},
    };
    for (const Row& row : rows) {
        const TemperatureIcon::Layout placed = TemperatureIcon::layout(row.t, row.measured, row.transparent);
        EXPECT_EQ(row.expected.textX, placed.textX) << row.t << " transparent " << row.transparent;
        EXPECT_EQ(row.expected.textY, placed.textY) << row.t << " transparent " << row.transparent;
        EXPECT_EQ(row.expected.degreeX, placed.degreeX) << row.t << " transparent " << row.transparent;
        EXPECT_EQ(row.expected.degreeY, placed.degreeY) << row.t << " transparent " << row.transparent;
    }
    EXPECT_EQ(-13, TemperatureIcon::fontHeight(-9.9, false));
    EXPECT_EQ(-11, TemperatureIcon::fontHeight(-10, false));
    EXPECT_EQ(-11, TemperatureIcon::fontHeight(100, true));
    EXPECT_EQ(-10, TemperatureIcon::fontHeight(100, false));
    EXPECT_EQ(L"3", TemperatureIcon::text(2.5));
    EXPECT_EQ(L"-3", TemperatureIcon::text(-2.5));
    EXPECT_EQ(L"0", TemperatureIcon::text(-0.4));
}

TEST(TemperatureIconTest, MaskIsClearOnlyUnderTheGlyphsOfATransparentIcon)
{
    par::ScopedIcon transparent(TemperatureIcon(21, RGB(255, 255, 255), 0, true).create());
    ASSERT_TRUE(transparent.get());
    const std::vector<DWORD> mask = iconPixels(transparent.get(), true);
    const int black = countOf(mask, 0);
    EXPECT_GT(black, 5);
    EXPECT_EQ(static_cast<int>(mask.size()), black + countOf(mask, 0xFFFFFF));
    EXPECT_LT(black, static_cast<int>(mask.size()) / 2);
    // The bottom row holds no glyph.
    EXPECT_EQ(0xFFFFFFu, mask[15 * 16]);

    par::ScopedIcon opaque(TemperatureIcon(21, RGB(255, 255, 255), RGB(0, 0, 255), false).create());
    ASSERT_TRUE(opaque.get());
    EXPECT_EQ(256, countOf(iconPixels(opaque.get(), true), 0));
    // The colour pass: blue background (0x0000FF in a DIB is blue's byte last) and white digits.
    const std::vector<DWORD> color = iconPixels(opaque.get(), false);
    EXPECT_EQ(0x0000FFu, color[15 * 16]);
    EXPECT_GT(countOf(color, 0xFFFFFF), 5);
}

namespace {

// The highest slot of the process's GDI handle table that a run of new
// objects reaches: slots freed before are taken first, so every object left
// behind in between pushes the mark up by one.
unsigned gdiHandleWatermark()
{
    std::vector<HBRUSH> probes(3000);
    unsigned highest = 0;
    for (HBRUSH& probe : probes) {
        probe = CreateSolidBrush(RGB(1, 2, 3));
        highest = std::max(highest, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF));
    }
    for (HBRUSH probe : probes)
        DeleteObject(probe);
    return highest;
}

} // namespace

TEST(TemperatureIconTest, ThousandRebuildsLeaveNoGdiObjectBehind)
{
    auto build = [] {
        HICON icon = TemperatureIcon(-17, RGB(255, 255, 255), RGB(10, 20, 30), false).create();
        ASSERT_TRUE(icon);
        DestroyIcon(icon);
    };
    build();
    // Wine answers 0 to GetGuiResources; Windows counts.
    const DWORD countBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const unsigned markBefore = gdiHandleWatermark();
    for (int i = 0; i < 1000; ++i)
        build();
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), countBefore + 2);
    EXPECT_LE(gdiHandleWatermark(), markBefore + 2);
}

TEST(TrayColorTest, OnlyNumberSignAndSixHexDigitsParse)
{
    COLORREF color = 7;
    EXPECT_TRUE(TrayUi::parseColor(L"#10a0Ff", color));
    EXPECT_EQ(RGB(0x10, 0xA0, 0xFF), color);
    for (const wchar_t* refused : {L"", L"red", L"#12345", L"#1234567", L"10a0ff1", L"#zz0000"}) {
        color = 7;
        EXPECT_FALSE(TrayUi::parseColor(refused, color)) << refused;
        EXPECT_EQ(7u, color) << refused;
    }
}

TEST_F(TrayTest, IconIsAddedPutBackAfterTaskbarRestartAndRemovedWithThePart)
{
    auto tray = std::make_unique<TrayPart>(myMainWindow.get());
    EXPECT_TRUE(shellHasIcon(main()));
    EXPECT_EQ("Skyvane 2.0\nloading...", tray->getTrayUi()->getTipText());

    removeIconBehindTheTraysBack(main());
    ASSERT_FALSE(shellHasIcon(main()));
    SendMessageA(main(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(shellHasIcon(main()));

    tray.reset();
    EXPECT_FALSE(shellHasIcon(main()));
}

TEST_F(TrayTest, WithoutAMovieWindowTheTipAsksForAHomeAndTheMenuKeepsItsOwnTexts)
{
    TrayPart tray(myMainWindow.get());
    test::LogCapture log;
    tray.connectMovie();
    TrayUi* ui = tray.getTrayUi();
    EXPECT_TRUE(tray.isConnected());
    EXPECT_EQ("Skyvane 2.0\nTo see current temperature here, select home location.", ui->getTipText());
    EXPECT_TRUE(log.contains("SwfWindow missing")) << log.text();
    EXPECT_TRUE(shellHasIcon(main()));

    ASSERT_TRUE(ui->getPopupMenu());
    wchar_t text[32] = {};
    GetMenuStringW(ui->getPopupMenu(), ID_OPEN, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(L"&Open", text);
    GetMenuStringW(ui->getPopupMenu(), ID_EXIT, text, 32, MF_BYCOMMAND);
    EXPECT_STREQ(L"&Exit", text);
    EXPECT_TRUE(GetMenuState(ui->getPopupMenu(), ID_OPEN, MF_BYCOMMAND) & MFS_DEFAULT);

    double value = 12.5;
    EXPECT_FALSE(tray.convertCwfToUserValue(L"temperature", value));
    EXPECT_EQ(12.5, value);
    EXPECT_TRUE(log.contains("convertCwfToUserValue() failed, aspectId=temperature, value=12.5000")) << log.text();

    // A status tip never opens the HTML tooltip.
    SendMessageA(main(), TrayUi::CALLBACK_MESSAGE, 0, MAKELPARAM(WM_MOUSEMOVE, TrayUi::ICON_ID));
    EXPECT_FALSE(ui->getHoverTimer()->isRunning());
}

namespace {

HWND theMenuSeen = nullptr;

void CALLBACK closeMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    theMenuSeen = FindWindowA("#32768", nullptr);
    EndMenu();
}

} // namespace

TEST_F(TrayTest, RightClickOpensTheMenuOnlyOnceItIsLoaded)
{
    TrayPart tray(myMainWindow.get());
    {
        test::LogCapture log;
        SendMessageA(main(), TrayUi::CALLBACK_MESSAGE, 0, MAKELPARAM(WM_RBUTTONDOWN, TrayUi::ICON_ID));
        EXPECT_TRUE(log.contains("Popup Menu missing")) << log.text();
    }
    tray.connectMovie();
    theMenuSeen = nullptr;
    // The menu's own loop runs the timer that closes it.
    SetTimer(nullptr, 0, 300, closeMenu);
    SendMessageA(main(), TrayUi::CALLBACK_MESSAGE, 0, MAKELPARAM(WM_RBUTTONDOWN, TrayUi::ICON_ID));
    EXPECT_TRUE(theMenuSeen);
    EXPECT_FALSE(IsWindowVisible(FindWindowA("#32768", nullptr)));
}

namespace {

// A page of a known content size that grows with its content.
class FakePage : public TrayTooltipPart::Page {
public:
    explicit FakePage(bool hasPlate) : myWindow(new par::CustomWindow(0, 0, "ParDefaultWindowClass")), myHasPlate(hasPlate)
    {
    }
    par::Window* getWindow() override { return myWindow; }
    void setBrowserSize(int width, int height) override { sizes.push_back({width, height}); }
    HRESULT getContentSize(SIZE& size) override
    {
        size = content;
        return S_OK;
    }
    bool setElementHtml(const std::wstring& id, const std::wstring& html) override
    {
        if (!myHasPlate || id != L"plate")
            return false;
        content.cy = 10 * static_cast<int>(html.size());
        return true;
    }

    SIZE content = {100, 40};
    std::vector<SIZE> sizes;

private:
    par::Window* myWindow;
    bool myHasPlate;
};

RECT popupRect(const TrayTooltipPart& tooltip)
{
    RECT rect = {};
    GetWindowRect(tooltip.getPopup()->getHandle(), &rect);
    return rect;
}

} // namespace

TEST_F(TrayTooltipTest, PopupSitsAboveTheAnchorInsideTheScreenAndOnlyShowsContent)
{
    FakePage* page = nullptr;
    TrayTooltipPart tooltip([&page](TrayTooltipPart*, const std::wstring&) {
        auto made = std::make_unique<FakePage>(true);
        page = made.get();
        return std::unique_ptr<TrayTooltipPart::Page>(std::move(made));
    });
    tooltip.setAnchor(300, 300);
    RECT rect = popupRect(tooltip);
    EXPECT_EQ(300, rect.left);
    EXPECT_EQ(300 - 15 - 42, rect.top);
    EXPECT_EQ(102, rect.right - rect.left);
    EXPECT_EQ(42, rect.bottom - rect.top);

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    tooltip.setAnchor(screenWidth - 10, 20);
    rect = popupRect(tooltip);
    EXPECT_EQ(screenWidth - 15, rect.right);
    EXPECT_EQ(35, rect.top);

    // Empty content keeps it hidden.
    tooltip.setShown(true);
    EXPECT_FALSE(tooltip.isVisible());
    tooltip.setAnchor(300, 300);
    tooltip.setContent(L"abcde");
    EXPECT_TRUE(tooltip.isVisible());
    rect = popupRect(tooltip);
    EXPECT_EQ(52, rect.bottom - rect.top);
    EXPECT_EQ(300 - 15 - 52, rect.top);
    // Measured at 0 x 0 first, so that the page does not keep its old size.
    ASSERT_GE(page->sizes.size(), 2u);
    EXPECT_EQ(0, page->sizes[page->sizes.size() - 2].cx);
    tooltip.setShown(false);
    EXPECT_FALSE(tooltip.isVisible());
}

TEST_F(TrayTooltipTest, PageLoadedWhileItIsBeingMadeIsPlacedOnceMade)
{
    FakePage* page = nullptr;
    // A real browser reports the load inside the navigation that making the
    // page starts, and the page's listener places the tooltip.
    TrayTooltipPart tooltip([&page](TrayTooltipPart* placed, const std::wstring&) {
        auto made = std::make_unique<FakePage>(true);
        page = made.get();
        placed->place();
        return std::unique_ptr<TrayTooltipPart::Page>(std::move(made));
    });
    tooltip.setAnchor(300, 300);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(102, popupRect(tooltip).right - popupRect(tooltip).left);
}

TEST_F(TrayTooltipTest, PageWhoseMakingFailedIsMadeByTheNextContent)
{
    int made = 0;
    FakePage* page = nullptr;
    TrayTooltipPart tooltip([&made, &page](TrayTooltipPart*, const std::wstring&) {
        if (made++ == 0)
            throw std::runtime_error("no browser");
        auto fake = std::make_unique<FakePage>(true);
        page = fake.get();
        return std::unique_ptr<TrayTooltipPart::Page>(std::move(fake));
    });
    EXPECT_THROW(tooltip.setContent(L"abc"), std::runtime_error);
    tooltip.setContent(L"abcde");
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(52, popupRect(tooltip).bottom - popupRect(tooltip).top);
}

TEST_F(TrayTooltipTest, PageWithoutPlateLogsAndStaysEmpty)
{
    // The real page: under Wine it has no document, so no "plate" either.
    TrayTooltipPart tooltip;
    test::LogCapture log;
    tooltip.setAnchor(300, 300);
    tooltip.setContent(L"<b>21</b>");
    EXPECT_TRUE(log.contains("TrayTooltipPart.setContent(), plate not found, content was not set")) << log.text();
    RECT rect = popupRect(tooltip);
    EXPECT_EQ(2, rect.right - rect.left);
    EXPECT_EQ(2, rect.bottom - rect.top);
}
