#include "product/FlashPlayerRegistration.h"

#include "util/RegistryUtil.h"
#include "util/Scoped.h"

const wchar_t* const FlashPlayerRegistration::CLASS_KEY =
    L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

namespace {

struct KeyLocation {
    HKEY root = HKEY_CLASSES_ROOT;
    std::wstring path = FlashPlayerRegistration::CLASS_KEY;
};

// Read and changed on the UI thread only.
KeyLocation theLocation;

} // namespace

void FlashPlayerRegistration::setKey(HKEY root, const std::wstring& path)
{
    theLocation.root = root;
    theLocation.path = path;
}

void FlashPlayerRegistration::resetKey()
{
    setKey(HKEY_CLASSES_ROOT, CLASS_KEY);
}

std::wstring FlashPlayerRegistration::readPlayerPath()
{
    par::ScopedRegKey key;
    if (par::openRegKeyForRead(key.receive(), theLocation.root, theLocation.path) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring path;
    if (par::readRegString(key.get(), L"", path) != ERROR_SUCCESS)
        return std::wstring();
    return path;
}

bool FlashPlayerRegistration::readInstalledVersion(par::FileVersion& out)
{
    const std::wstring path = readPlayerPath();
    return !path.empty() && par::readFileVersion(out, path);
}
