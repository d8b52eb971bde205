#include "winui/ComListener.h"
#include "winui/Container.h"
#include "winui/CustomWindow.h"
#include "winui/SystemControl.h"

#include "TestApplication.h"
#include "WindowListeners.h"

#include <gtest/gtest.h>

#include <memory>

using par::Container;
using par::CustomWindow;

namespace {

const COLORREF GREEN = RGB(0, 255, 0);
const COLORREF RED = RGB(255, 0, 0);

// A small bitmap to erase into, filled with one colour first.
class Canvas {
public:
    explicit Canvas(COLORREF fill)
    {
        HDC screen = GetDC(nullptr);
        myDc = CreateCompatibleDC(screen);
        myBitmap = CreateCompatibleBitmap(screen, 20, 20);
        ReleaseDC(nullptr, screen);
        myOld = SelectObject(myDc, myBitmap);
        RECT all = {0, 0, 20, 20};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(myDc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas()
    {
        SelectObject(myDc, myOld);
        DeleteObject(myBitmap);
        DeleteDC(myDc);
    }
    HDC dc() const { return myDc; }
    COLORREF pixel() const { return GetPixel(myDc, 5, 5); }

private:
    HDC myDc;
    HBITMAP myBitmap;
    HGDIOBJ myOld;
};

class PaintingWindow : public CustomWindow {
public:
    PaintingWindow() : CustomWindow(WS_POPUP | WS_VISIBLE, 0, "ParDefaultWindowClass") {}
    void paint(HDC dc, PAINTSTRUCT* paintStruct) override
    {
        ++paints;
        paintedWithDc = dc != nullptr && paintStruct->hdc == dc;
    }
    int paints = 0;
    bool paintedWithDc = false;
};

class NullListener : public par::ComListener {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return S_OK;
    }
};

class CustomWindowTest : public ::testing::Test {
protected:
    test::TestApplication myApplication;
};

} // namespace

TEST_F(CustomWindowTest, ContainerWithAColourFillsItsClientAreaOnErase)
{
    Container container(RED, 0, 0);
    container.setBounds(0, 0, 30, 30);
    Canvas canvas(GREEN);
    EXPECT_EQ(1, container.sendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(RED, canvas.pixel());

    container.setBackgroundColor(GREEN);
    Canvas again(RED);
    container.sendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(again.dc()), 0);
    EXPECT_EQ(GREEN, again.pixel());
}

TEST_F(CustomWindowTest, ContainerWithoutBackgroundNeverErases)
{
    Container container(Container::NO_BACKGROUND, 0, 0);
    container.setBounds(0, 0, 30, 30);
    Canvas canvas(GREEN);
    EXPECT_EQ(1, container.sendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(GREEN, canvas.pixel());
    EXPECT_TRUE(container.getExStyle() & WS_EX_CONTROLPARENT);
}

TEST_F(CustomWindowTest, GetFontAnswersTheLastFontGiven)
{
    CustomWindow window(0, 0, "ParDefaultWindowClass");
    EXPECT_EQ(0, window.sendMessage(WM_GETFONT, 0, 0));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    window.setFont(font);
    EXPECT_EQ(reinterpret_cast<LRESULT>(font), window.sendMessage(WM_GETFONT, 0, 0));
}

TEST_F(CustomWindowTest, StyleZeroMakesAPopup)
{
    CustomWindow window(0, 0, "ParDefaultWindowClass");
    EXPECT_TRUE(window.getStyle() & WS_POPUP);
    EXPECT_FALSE(window.getStyle() & WS_CHILD);
}

TEST_F(CustomWindowTest, PaintHookRunsInsidePainting)
{
    PaintingWindow window;
    window.setBounds(0, 0, 40, 40);
    UpdateWindow(window.getHandle());
    const int before = window.paints;
    window.invalidate(true);
    UpdateWindow(window.getHandle());
    EXPECT_EQ(before + 1, window.paints);
    EXPECT_TRUE(window.paintedWithDc);
    // Painting validated the window.
    EXPECT_FALSE(GetUpdateRect(window.getHandle(), nullptr, FALSE));
}

TEST_F(CustomWindowTest, SystemControlBecomesAChildWhoseClicksReachItsHandlers)
{
    test::RecordingHandler counter(true);
    Container holder(RED, WS_POPUP | WS_VISIBLE, 0);
    holder.setBounds(0, 0, 200, 100);
    auto* button = new par::SystemControl("BUTTON", BS_PUSHBUTTON, 0);
    EXPECT_TRUE(button->getStyle() & WS_POPUP);
    button->addControlEventHandler(&counter, false);
    holder.addChild(button);
    EXPECT_TRUE(button->getStyle() & WS_CHILD);
    button->setBounds(0, 0, 80, 20);

    button->sendMessage(BM_CLICK, 0, 0);
    EXPECT_EQ(1, counter.calls);
    EXPECT_EQ(BN_CLICKED, counter.lastCode);
}

TEST_F(CustomWindowTest, ContainerMadeInItsHolderIsTheChildThatAddChildMakes)
{
    Container holder(RED, WS_POPUP, 0);
    auto* adopted = new Container(Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT);
    holder.addChild(adopted);
    auto* made = new Container(&holder, Container::NO_BACKGROUND, 0, WS_EX_CONTROLPARENT);

    EXPECT_EQ(holder.getHandle(), GetParent(made->getHandle()));
    EXPECT_EQ(&holder, made->getParent());
    EXPECT_EQ(adopted->getStyle(), made->getStyle());
    EXPECT_EQ(adopted->getExStyle(), made->getExStyle());
}

TEST_F(CustomWindowTest, ComListenerAnswersOnlyItsOwnInterfacesRefusesWithNullAndCountsNothing)
{
    NullListener listener;
    void* object = nullptr;
    EXPECT_EQ(S_OK, listener.QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IDispatch*>(&listener), object);
    object = nullptr;
    EXPECT_EQ(S_OK, listener.QueryInterface(IID_IDispatch, &object));
    EXPECT_EQ(static_cast<IDispatch*>(&listener), object);

    // A refusal clears the caller's pointer, as COM asks of every failure.
    object = &listener;
    EXPECT_EQ(E_NOINTERFACE, listener.QueryInterface(IID_IStream, &object));
    EXPECT_EQ(nullptr, object);

    EXPECT_EQ(1u, listener.AddRef());
    EXPECT_EQ(1u, listener.Release());
    EXPECT_EQ(1u, listener.Release());
    UINT count = 7;
    EXPECT_EQ(E_NOTIMPL, listener.GetTypeInfoCount(&count));
    EXPECT_EQ(0u, listener.getCookie());
}
