#include "product/Skyvane.h"

#include "product/FlashHandler.h"
#include "product/FlashHost.h"
#include "product/TrayColors.h"

#include "swfwindow/SwfWindow.h"

#include "util/RegistryUtil.h"
#include "util/Scoped.h"

const wchar_t* const Skyvane::REGISTRY_PATH = L"Software\\Ondrel\\skyvane";
const wchar_t* const Skyvane::DEVELOPMENT_REGISTRY_PATH = L"Software\\Ondrel\\quorDev";

std::atomic<Skyvane*> Skyvane::ourInstance{nullptr};

namespace {

const wchar_t* const DISPLAY_MODE_KEY = L"\\fullscreenDisplayMode";

void readDword(HKEY key, const wchar_t* name, int& field)
{
    DWORD value = 0;
    if (par::readRegDword(key, name, &value) == ERROR_SUCCESS)
        field = static_cast<int>(value);
}

} // namespace

Skyvane::Skyvane() : myTrayColors(new TrayColors())
{
    ourInstance = this;
}

Skyvane::~Skyvane()
{
    // Events and hang reports that still arrive find no facade from here on.
    Skyvane* self = this;
    ourInstance.compare_exchange_strong(self, nullptr);
    // Also when nested: a window leaves its parent's children as it goes.
    myFlashHost.reset();
    myFlashHandler.reset();
    myTrayColors.reset();
}

Skyvane* Skyvane::instance()
{
    return ourInstance;
}

std::wstring Skyvane::getRegistryPath()
{
    par::ScopedRegKey key;
    if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER, DEVELOPMENT_REGISTRY_PATH) == ERROR_SUCCESS)
        return DEVELOPMENT_REGISTRY_PATH;
    return REGISTRY_PATH;
}

FlashHost* Skyvane::createFlashHost(par::Window* holder)
{
    myFlashHost.reset(new FlashHost(holder));
    // Nested into the programs' windows, but ours to delete.
    myFlashHost->setHeldElsewhere(true);
    myFlashHost->setText("FlashHost");
    myFlashHost->setPicturePath(L"data\\images\\get_flash_player.gif");
    par::FileVersion required;
    required.major = 9;
    myFlashHost->setRequiredFlashVersion(required);
    myFlashHost->handleRequiredFlashDetected();
    return myFlashHost.get();
}

SwfWindow* Skyvane::getSwfWindow() const
{
    return myFlashHost ? myFlashHost->getSwfWindow() : nullptr;
}

FlashHandler* Skyvane::getFlashHandler()
{
    if (!myFlashHandler)
        myFlashHandler.reset(createFlashHandler());
    return myFlashHandler.get();
}

void Skyvane::exit()
{
    SwfWindow* swf = getSwfWindow();
    if (swf && swf->isParProgram())
        shutdownFlashHost();
    else
        close();
}

void Skyvane::shutdownFlashHost()
{
    // A movie that could not be told will never confirm: end as without it.
    if (myFlashHost && !myFlashHost->shutdown())
        close();
}

void Skyvane::loadFullscreenDisplayMode()
{
    par::ScopedRegKey key;
    if (par::openRegKeyForRead(key.receive(), HKEY_CURRENT_USER, getRegistryPath() + DISPLAY_MODE_KEY)
        != ERROR_SUCCESS)
        return;
    DWORD id = 0;
    if (par::readRegDword(key.get(), L"id", &id) != ERROR_SUCCESS
        || id != par::FullscreenDisplayMode::PROVIDED)
        return;
    myFullscreenDisplayMode.id = par::FullscreenDisplayMode::PROVIDED;
    readDword(key.get(), L"width", myFullscreenDisplayMode.width);
    readDword(key.get(), L"height", myFullscreenDisplayMode.height);
    readDword(key.get(), L"depth", myFullscreenDisplayMode.depth);
}

void Skyvane::saveFullscreenDisplayMode()
{
    par::ScopedRegKey key;
    if (par::openRegKeyForWrite(key.receive(), HKEY_CURRENT_USER, getRegistryPath() + DISPLAY_MODE_KEY)
        != ERROR_SUCCESS)
        return;
    const par::FullscreenDisplayMode& mode = myFullscreenDisplayMode;
    par::writeRegDword(key.get(), L"id", static_cast<DWORD>(mode.id));
    if (mode.id != par::FullscreenDisplayMode::PROVIDED)
        return;
    par::writeRegDword(key.get(), L"width", static_cast<DWORD>(mode.width));
    par::writeRegDword(key.get(), L"height", static_cast<DWORD>(mode.height));
    par::writeRegDword(key.get(), L"depth", static_cast<DWORD>(mode.depth));
}
