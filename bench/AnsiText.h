#pragma once

#include <windows.h>

#include <string>

// A text as the program was given it (in the ANSI code page), made wide.
inline std::wstring fromAnsi(const std::string& text)
{
    std::wstring result(text.size(), L'\0');
    result.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                          &result[0], static_cast<int>(result.size()))));
    return result;
}
