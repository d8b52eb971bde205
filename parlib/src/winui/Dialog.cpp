#include "winui/Dialog.h"

#include "app/Application.h"
#include "util/ExceptionUtil.h"
#include "util/SystemUtil.h"

#include <map>

namespace par {

namespace {

// Never destroyed: windows owned by static objects may still go after main.
std::map<HWND, Dialog*>& dialogMap()
{
    static auto* dialogs = new std::map<HWND, Dialog*>;
    return *dialogs;
}

Dialog* dialogOf(HWND handle)
{
    auto entry = dialogMap().find(handle);
    return entry == dialogMap().end() ? nullptr : entry->second;
}

// Once, before the first dialog, whose template may name a common control:
// the library costs milliseconds and memory at every start, and most runs
// never open a dialog.
void registerCommonControls()
{
    static const bool registered = [] {
        HMODULE library = loadSystemLibrary(L"comctl32.dll");
        FARPROC function = library ? GetProcAddress(library, "InitCommonControls") : nullptr;
        if (function)
            reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void (*)()>(function))();
        return true;
    }();
    (void)registered;
}

} // namespace

Dialog::Dialog(const char* dialogTemplate) : Window(create(dialogTemplate))
{
    dialogMap()[getHandle()] = this;
}

Dialog::~Dialog()
{
    auto entry = dialogMap().find(getHandle());
    if (entry != dialogMap().end() && entry->second == this)
        dialogMap().erase(entry);
    if (IsWindow(getHandle()))
        DestroyWindow(getHandle());
}

bool Dialog::handleDialogMessage(UINT, WPARAM, LPARAM)
{
    return false;
}

HWND Dialog::create(const char* dialogTemplate)
{
    registerCommonControls();
    HWND handle = CreateDialogParamA(Application::getInstanceHandle(), dialogTemplate, nullptr,
                                     dialogProc, 0);
    if (!handle) {
        throw Window::Exception(std::wstring(L"Dialog HWND creation failed.\n") + L"template: \""
                                + L"\"\n" + L"Reason: " + lastErrorText());
    }
    return handle;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFYFORMAT)
        return NFR_ANSI;
    Dialog* dialog = dialogOf(handle);
    if (message == WM_ERASEBKGND)
        return dialog && dialog->myNoErase ? 1 : 0;
    if (!dialog)
        return 0;
    return callGuarded("Dialog::dialogProc()", INT_PTR(FALSE), [&] {
        return INT_PTR(dialog->handleDialogMessage(message, wParam, lParam) ? TRUE : FALSE);
    });
}

} // namespace par
