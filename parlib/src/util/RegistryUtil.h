#pragma once

#include <windows.h>

#include <string>

namespace par {

// Thin helpers over the wide registry functions. Each returns the registry's
// result code (ERROR_SUCCESS on success) and never throws; out values are
// written only on success. The caller closes opened keys with RegCloseKey.

LONG openRegKeyForRead(HKEY* out, HKEY root, const std::wstring& subkey);
// Opens the key for writing, creating it when it does not exist.
LONG openRegKeyForWrite(HKEY* out, HKEY root, const std::wstring& subkey);
LONG createRegKey(HKEY* out, HKEY root, const std::wstring& subkey);

LONG queryRegValue(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size);
LONG setRegValue(HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size);

// The text up to its first zero character (or the data's end).
LONG readRegString(HKEY key, const std::wstring& name, std::wstring& out);
LONG writeRegString(HKEY key, const std::wstring& name, const std::wstring& value);
// Only a REG_DWORD value of exactly four bytes is read.
LONG readRegDword(HKEY key, const std::wstring& name, DWORD* out);
LONG writeRegDword(HKEY key, const std::wstring& name, DWORD value);
// out is true for a DWORD of 1 and false otherwise, also when the read fails.
LONG readRegBool(HKEY key, const std::wstring& name, bool* out);
LONG writeRegBool(HKEY key, const std::wstring& name, bool value);
// Numbers are kept as text with four decimals; a text that is no number
// gives ERROR_BAD_FORMAT.
LONG readRegDouble(HKEY key, const std::wstring& name, double* out);
LONG writeRegDouble(HKEY key, const std::wstring& name, double value);

// A rectangle is a subkey with the DWORD values "left", "top", "right" and
// "bottom". Both return the result of opening the subkey; a value missing
// on reading leaves its field unchanged.
LONG readRegRect(HKEY root, const std::wstring& subkey, RECT* out);
LONG writeRegRect(HKEY root, const std::wstring& subkey, const RECT* rect);

} // namespace par
