#pragma once

#include <windows.h>

namespace par {

// Owns one kernel handle and closes it when it goes. Null and
// INVALID_HANDLE_VALUE both mean "no handle".
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) : myHandle(handle) {}
    ~ScopedHandle() { reset(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : myHandle(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    HANDLE get() const { return myHandle; }
    bool isValid() const { return myHandle != nullptr && myHandle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return isValid(); }

    void reset(HANDLE handle = nullptr)
    {
        if (isValid())
            CloseHandle(myHandle);
        myHandle = handle;
    }

    HANDLE release()
    {
        HANDLE handle = myHandle;
        myHandle = nullptr;
        return handle;
    }

private:
    HANDLE myHandle;
};

} // namespace par
