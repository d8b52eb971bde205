#include "desktop/CommandLineOutputDialog.h"

#include "resources/desktop/resource.h"

#include "app/Application.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "winui/Container.h"
#include "winui/FlowLayout.h"
#include "winui/SystemControl.h"

#include <richedit.h>

#include <memory>

namespace {

// The rich-edit text area, which paints its own background.
class NoteTextArea : public par::SystemControl {
public:
    NoteTextArea()
        : par::SystemControl("RichEdit", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0)
    {
        sendMessage(EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ERASEBKGND)
            return 1;
        return par::SystemControl::handleMessage(message, wParam, lParam);
    }
};

} // namespace

CommandLineOutputDialog::CommandLineOutputDialog(int templateId)
    : par::Dialog(MAKEINTRESOURCEA(templateId))
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = screenWidth * 3 / 4;
    const int height = screenHeight * 3 / 4;
    setBounds((screenWidth - width) / 2, (screenHeight - height) / 2, width, height);

    LOGFONTA logFont;
    par::initLogFont(logFont, "Times New Roman");
    logFont.lfHeight = 18;
    myFont.reset(CreateFontIndirectA(&logFont));

    auto* layout = new par::FlowLayout(par::FlowLayout::VERTICAL);
    setLayout(layout);
    par::loadSystemLibrary(L"Riched32.dll");
    auto textArea = std::make_unique<NoteTextArea>();
    textArea->setFont(myFont.get());
    layout->setConstraints(textArea.get(), {par::FlowLayout::WEIGHTED, 0.5});
    addChild(textArea.get());
    myTextArea = textArea.release();

    auto buttons = std::make_unique<par::Container>(par::Container::NO_BACKGROUND, 0, 0);
    buttons->setLayout(new par::FlowLayout(par::FlowLayout::HORIZONTAL));
    buttons->setSize(width, 40);
    auto okButton = std::make_unique<par::SystemControl>("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0);
    okButton->setText("OK");
    okButton->setFont(myFont.get());
    okButton->setSize(100, 30);
    okButton->addControlEventHandler(this, false);
    par::Window* button = okButton.get();
    buttons->addChild(okButton.release());
    SetWindowLongPtrA(button->getHandle(), GWLP_ID, IDOK);
    myOkButton = button;
    addChild(buttons.release());

    setTitle(par::Application::loadString(IDS_PRODUCT_TITLE) + " - command-line info");
}

CommandLineOutputDialog::~CommandLineOutputDialog()
{
    if (myOkButton)
        myOkButton->removeControlEventHandler(this);
    // The controls use the font: they go first.
    while (par::Window* child = getFirstChild())
        delete child;
}

void CommandLineOutputDialog::setNote(const std::string& note)
{
    std::string text = note;
    par::replaceAll(text, "\n", "\r\n");
    myTextArea->setText(text);
    doLayout();
    setVisible(true, true);
}

LRESULT CommandLineOutputDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        close();
        return 0;
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return par::Dialog::handleMessage(message, wParam, lParam);
}

bool CommandLineOutputDialog::onControlEvent(par::Window*, int controlId, int)
{
    if (controlId != IDOK)
        return false;
    close();
    return true;
}
