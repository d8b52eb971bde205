#pragma once

#include <windows.h>

#include <string>

namespace test {

// A fresh key under HKEY_CURRENT_USER\Software\ParTest, deleted with all its
// values and subkeys when the object goes.
class TempRegistryKey {
public:
    TempRegistryKey();
    ~TempRegistryKey();
    TempRegistryKey(const TempRegistryKey&) = delete;
    TempRegistryKey& operator=(const TempRegistryKey&) = delete;

    HKEY root() const { return HKEY_CURRENT_USER; }
    // The key's path below the root.
    const std::wstring& path() const { return myPath; }
    // An open handle to the key, with all access.
    HKEY key() const { return myKey; }

private:
    std::wstring myPath;
    HKEY myKey = nullptr;
};

} // namespace test
