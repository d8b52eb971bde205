#pragma once

// Small owners of the system's resources, one per way of releasing one.
// Each releases what it holds when it goes; release() hands it back.

#include <windows.h>
#include <ole2.h>

namespace par {

// Owns one value of a resource; Traits says which values hold nothing and
// how one is released.
template <typename T, typename Traits>
class Scoped {
public:
    explicit Scoped(T value = Traits::none()) : myValue(value) {}
    ~Scoped() { reset(); }

    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : myValue(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return myValue; }
    bool isValid() const { return Traits::isValid(myValue); }
    explicit operator bool() const { return isValid(); }

    // For functions that hand a new value out through a pointer.
    T* receive()
    {
        reset();
        return &myValue;
    }

    void reset(T value = Traits::none())
    {
        if (isValid())
            Traits::release(myValue);
        myValue = value;
    }

    T release()
    {
        T value = myValue;
        myValue = Traits::none();
        return value;
    }

private:
    T myValue;
};

namespace scoped {

// Null and INVALID_HANDLE_VALUE both mean "no handle".
struct KernelHandle {
    static HANDLE none() { return nullptr; }
    static bool isValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void release(HANDLE h) { CloseHandle(h); }
};

struct FindHandle {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool isValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void release(HANDLE h) { FindClose(h); }
};

struct RegistryKey {
    static HKEY none() { return nullptr; }
    static bool isValid(HKEY key) { return key != nullptr; }
    static void release(HKEY key) { RegCloseKey(key); }
};

template <typename T>
struct GdiObject {
    static T none() { return nullptr; }
    static bool isValid(T object) { return object != nullptr; }
    static void release(T object) { DeleteObject(object); }
};

struct Icon {
    static HICON none() { return nullptr; }
    static bool isValid(HICON icon) { return icon != nullptr; }
    static void release(HICON icon) { DestroyIcon(icon); }
};

template <typename T>
struct LocalMemory {
    static T* none() { return nullptr; }
    static bool isValid(T* memory) { return memory != nullptr; }
    static void release(T* memory) { LocalFree(memory); }
};

template <typename T>
struct CoTaskMemory {
    static T* none() { return nullptr; }
    static bool isValid(T* memory) { return memory != nullptr; }
    static void release(T* memory) { CoTaskMemFree(memory); }
};

} // namespace scoped

using ScopedHandle = Scoped<HANDLE, scoped::KernelHandle>;
using ScopedFindHandle = Scoped<HANDLE, scoped::FindHandle>;
using ScopedRegKey = Scoped<HKEY, scoped::RegistryKey>;
template <typename T>
using ScopedGdiObject = Scoped<T, scoped::GdiObject<T>>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedRegion = ScopedGdiObject<HRGN>;
using ScopedIcon = Scoped<HICON, scoped::Icon>;
// Memory the system allocated with LocalAlloc or CoTaskMemAlloc for us.
template <typename T>
using ScopedLocalMemory = Scoped<T*, scoped::LocalMemory<T>>;
template <typename T>
using ScopedCoTaskMemory = Scoped<T*, scoped::CoTaskMemory<T>>;

// Selects a GDI object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : myDc(dc), myPrevious(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (myPrevious != nullptr && myPrevious != HGDI_ERROR)
            SelectObject(myDc, myPrevious);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC myDc;
    HGDIOBJ myPrevious;
};

// OLE (and COM, single-threaded) for the calling thread while it lives;
// balanced only when the initialisation succeeded.
class ScopedOleInitialize {
public:
    ScopedOleInitialize() : myResult(OleInitialize(nullptr)) {}
    ~ScopedOleInitialize()
    {
        if (SUCCEEDED(myResult))
            OleUninitialize();
    }
    ScopedOleInitialize(const ScopedOleInitialize&) = delete;
    ScopedOleInitialize& operator=(const ScopedOleInitialize&) = delete;

    HRESULT result() const { return myResult; }

private:
    HRESULT myResult;
};

} // namespace par
