#include "TempRegistryKey.h"

#include <sstream>
#include <stdexcept>

namespace test {

TempRegistryKey::TempRegistryKey()
{
    static unsigned counter = 0;
    std::wstringstream path;
    path << L"Software\\ParTest\\" << GetCurrentProcessId() << L"-" << ++counter << L"-"
         << GetTickCount();
    myPath = path.str();
    if (RegCreateKeyExW(HKEY_CURRENT_USER, myPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &myKey, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the test registry key");
}

TempRegistryKey::~TempRegistryKey()
{
    RegCloseKey(myKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, myPath.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, myPath.c_str());
}

} // namespace test
