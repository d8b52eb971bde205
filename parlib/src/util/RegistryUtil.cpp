#include "util/RegistryUtil.h"

#include "util/Scoped.h"
#include "util/StringUtil.h"

#include <vector>

namespace par {

namespace {

const DWORD STRING_BUFFER_BYTES = 32768;

} // namespace

LONG openRegKeyForRead(HKEY* out, HKEY root, const std::wstring& subkey)
{
    return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, out);
}

LONG openRegKeyForWrite(HKEY* out, HKEY root, const std::wstring& subkey)
{
    const LONG result = RegOpenKeyExW(root, subkey.c_str(), 0, KEY_WRITE, out);
    if (result == ERROR_SUCCESS)
        return result;
    return createRegKey(out, root, subkey);
}

LONG createRegKey(HKEY* out, HKEY root, const std::wstring& subkey)
{
    return RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                           nullptr, out, nullptr);
}

LONG queryRegValue(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size)
{
    return RegQueryValueExW(key, name.c_str(), nullptr, type, data, size);
}

LONG setRegValue(HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size)
{
    return RegSetValueExW(key, name.c_str(), 0, type, data, size);
}

LONG readRegString(HKEY key, const std::wstring& name, std::wstring& out)
{
    std::vector<BYTE> buffer(STRING_BUFFER_BYTES);
    DWORD size = STRING_BUFFER_BYTES;
    const LONG result = queryRegValue(key, name, nullptr, buffer.data(), &size);
    if (result != ERROR_SUCCESS)
        return result;
    const wchar_t* text = reinterpret_cast<const wchar_t*>(buffer.data());
    const std::wstring::size_type characters = size / sizeof(wchar_t);
    std::wstring::size_type length = 0;
    while (length < characters && text[length] != L'\0')
        ++length;
    out.assign(text, length);
    return ERROR_SUCCESS;
}

LONG writeRegString(HKEY key, const std::wstring& name, const std::wstring& value)
{
    return setRegValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG readRegDword(HKEY key, const std::wstring& name, DWORD* out)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LONG result = queryRegValue(key, name, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD || size != sizeof value)
        return ERROR_INVALID_DATA;
    *out = value;
    return ERROR_SUCCESS;
}

LONG writeRegDword(HKEY key, const std::wstring& name, DWORD value)
{
    return setRegValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG readRegBool(HKEY key, const std::wstring& name, bool* out)
{
    DWORD value = 0;
    const LONG result = readRegDword(key, name, &value);
    *out = result == ERROR_SUCCESS && value == 1;
    return result;
}

LONG writeRegBool(HKEY key, const std::wstring& name, bool value)
{
    return writeRegDword(key, name, value ? 1 : 0);
}

LONG readRegDouble(HKEY key, const std::wstring& name, double* out)
{
    std::wstring text;
    const LONG result = readRegString(key, name, text);
    if (result != ERROR_SUCCESS)
        return result;
    double value = 0;
    if (!parseDouble(text, value))
        return ERROR_BAD_FORMAT;
    *out = value;
    return ERROR_SUCCESS;
}

LONG writeRegDouble(HKEY key, const std::wstring& name, double value)
{
    return writeRegString(key, name, toWString(value));
}

LONG readRegRect(HKEY root, const std::wstring& subkey, RECT* out)
{
    ScopedRegKey key;
    const LONG result = openRegKeyForRead(key.receive(), root, subkey);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD value = 0;
    if (readRegDword(key.get(), L"left", &value) == ERROR_SUCCESS)
        out->left = static_cast<LONG>(value);
    if (readRegDword(key.get(), L"top", &value) == ERROR_SUCCESS)
        out->top = static_cast<LONG>(value);
    if (readRegDword(key.get(), L"right", &value) == ERROR_SUCCESS)
        out->right = static_cast<LONG>(value);
    if (readRegDword(key.get(), L"bottom", &value) == ERROR_SUCCESS)
        out->bottom = static_cast<LONG>(value);
    return result;
}

LONG writeRegRect(HKEY root, const std::wstring& subkey, const RECT* rect)
{
    ScopedRegKey key;
    const LONG result = openRegKeyForWrite(key.receive(), root, subkey);
    if (result != ERROR_SUCCESS)
        return result;
    writeRegDword(key.get(), L"left", static_cast<DWORD>(rect->left));
    writeRegDword(key.get(), L"top", static_cast<DWORD>(rect->top));
    writeRegDword(key.get(), L"right", static_cast<DWORD>(rect->right));
    writeRegDword(key.get(), L"bottom", static_cast<DWORD>(rect->bottom));
    return result;
}

} // namespace par
