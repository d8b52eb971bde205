// The stand-in control as an in-process COM server DLL.

#include "StandInClassFactory.h"
#include "StandInModule.h"

#include "swfwindow/ShockwaveFlash.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

using ShockwaveFlashObjects::CLSID_ShockwaveFlash;

namespace {

std::wstring classKeyPath()
{
    wchar_t clsid[64];
    StringFromGUID2(CLSID_ShockwaveFlash, clsid, 64);
    return std::wstring(L"CLSID\\") + clsid;
}

std::wstring modulePath()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(standin::moduleHandle(), path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

LONG setString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The server path registered for the class, or the empty text.
std::wstring registeredServer()
{
    const std::wstring serverKey = classKeyPath() + L"\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, serverKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS)
        return std::wstring();
    return path;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // Only when unloaded by FreeLibrary: at process exit the classes go anyway.
    if (reason == DLL_PROCESS_DETACH && !reserved)
        standin::unregisterWindowClasses();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_ShockwaveFlash)
        return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* factory = standin::StandInClassFactory::create();
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}

STDAPI DllCanUnloadNow()
{
    return standin::isModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer()
{
    const std::wstring path = modulePath();
    if (path.empty())
        return SELFREG_E_CLASS;
    const std::wstring serverKey = classKeyPath() + L"\\InprocServer32";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    const bool written = setString(key, nullptr, path) == ERROR_SUCCESS &&
                         setString(key, L"ThreadingModel", L"Apartment") == ERROR_SUCCESS;
    RegCloseKey(key);
    return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    // A registration that names another server (the real control) is not ours to remove.
    const std::wstring registered = registeredServer();
    if (registered.empty() || lstrcmpiW(registered.c_str(), modulePath().c_str()) != 0)
        return S_FALSE;
    return RegDeleteTreeW(HKEY_CLASSES_ROOT, classKeyPath().c_str()) == ERROR_SUCCESS
               ? S_OK
               : SELFREG_E_CLASS;
}
