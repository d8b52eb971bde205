#include "winui/Dialog.h"

#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include "TestApplication.h"
#include "TestResources.h"
#include "WindowListeners.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>

using par::Dialog;
using par::Window;

namespace {

class RecordingDialog : public Dialog {
public:
    explicit RecordingDialog(bool noErase = false) : Dialog(MAKEINTRESOURCEA(IDD_TEST_DIALOG))
    {
        myNoErase = noErase;
    }
    bool handleDialogMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        if (message == WM_COMMAND)
            commands.push_back(LOWORD(wParam));
        return false;
    }
    std::list<int> commands;
};

class DialogTest : public ::testing::Test {
protected:
    test::TestApplication myApplication;
};

} // namespace

TEST_F(DialogTest, MissingTemplateFailsWithEmptyTemplateQuotesAndTheReason)
{
    try {
        Dialog dialog(MAKEINTRESOURCEA(IDD_MISSING_DIALOG));
        FAIL() << "a dialog without template was created";
    } catch (const Window::Exception& exception) {
        std::list<std::wstring> lines;
        par::splitString(lines, exception.getMessage(), L"\n");
        ASSERT_EQ(3u, lines.size());
        auto line = lines.begin();
        EXPECT_EQ(L"Dialog HWND creation failed.", *line++);
        EXPECT_EQ(L"template: \"\"", *line++);
        EXPECT_EQ(L"Reason: ", line->substr(0, 8));
        EXPECT_GT(line->size(), 8u);
    }
}

TEST_F(DialogTest, DialogIsAWindowUntilItGoes)
{
    auto dialog = std::make_unique<RecordingDialog>();
    HWND handle = dialog->getHandle();
    ASSERT_TRUE(IsWindow(handle));
    EXPECT_EQ(dialog.get(), Window::fromHwnd(handle));
    EXPECT_NE(nullptr, GetDlgItem(handle, IDC_TEST_BUTTON));
    dialog.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, Window::fromHwnd(handle));
}

TEST_F(DialogTest, EraseIsLeftToTheDialogManagerUnlessNoEraseIsSet)
{
    RecordingDialog erasing;
    EXPECT_EQ(0, Dialog::dialogProc(erasing.getHandle(), WM_ERASEBKGND, 0, 0));
    RecordingDialog notErasing(true);
    EXPECT_EQ(1, Dialog::dialogProc(notErasing.getHandle(), WM_ERASEBKGND, 0, 0));
    EXPECT_EQ(NFR_ANSI, Dialog::dialogProc(erasing.getHandle(), WM_NOTIFYFORMAT, 0, NF_QUERY));
}

TEST_F(DialogTest, ControlCommandsReachTheControlsHandlersBeforeTheDialog)
{
    test::RecordingHandler taking(true), declining(false);
    RecordingDialog dialog;
    HWND buttonHandle = GetDlgItem(dialog.getHandle(), IDC_TEST_BUTTON);
    auto* button = new Window(buttonHandle);
    dialog.addChild(button);
    button->addControlEventHandler(&taking, false);

    button->sendMessage(BM_CLICK, 0, 0);
    EXPECT_EQ(IDC_TEST_BUTTON, taking.lastId);
    EXPECT_TRUE(dialog.commands.empty());

    button->removeControlEventHandler(&taking);
    button->addControlEventHandler(&declining, false);
    button->sendMessage(BM_CLICK, 0, 0);
    EXPECT_EQ(IDC_TEST_BUTTON, declining.lastId);
    EXPECT_EQ(std::list<int>{IDC_TEST_BUTTON}, dialog.commands);
}
