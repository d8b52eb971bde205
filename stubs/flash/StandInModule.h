#pragma once

#include <windows.h>

namespace standin {

// The module (program or DLL) that the stand-in is linked into.
HINSTANCE moduleHandle();

// Registers a window class of this module once; true when it is registered.
bool registerWindowClass(const wchar_t* name, WNDPROC procedure);
// A DLL unregisters its classes before it is unloaded: their procedures go with it.
void unregisterWindowClasses();

// Live objects and server locks of the module, for DllCanUnloadNow.
void addModuleReference();
void releaseModuleReference();
bool isModuleInUse();

} // namespace standin
