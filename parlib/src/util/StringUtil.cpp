#include "util/StringUtil.h"

#include <cctype>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace par {

namespace {

template <class S>
bool replaceAllIn(S& text, const S& from, const S& to)
{
    if (from.empty())
        return false;
    bool replaced = false;
    typename S::size_type position = 0;
    while ((position = text.find(from, position)) != S::npos) {
        text.replace(position, from.size(), to);
        position += to.size();
        replaced = true;
    }
    return replaced;
}

} // namespace

std::string toNarrow(const std::wstring& text)
{
    std::string result;
    result.reserve(text.size());
    for (wchar_t c : text)
        result += static_cast<char>(c & 0xFF);
    return result;
}

std::wstring toWide(const std::string& text)
{
    std::wstring result;
    result.reserve(text.size());
    for (char c : text)
        result += static_cast<wchar_t>(static_cast<signed char>(c));
    return result;
}

void splitString(std::list<std::wstring>& out, const std::wstring& text,
                 const std::wstring& delimiters)
{
    std::wstring::size_type start = 0;
    for (;;) {
        std::wstring::size_type found = std::wstring::npos;
        for (wchar_t delimiter : delimiters) {
            found = text.find(delimiter, start);
            if (found != std::wstring::npos)
                break;
        }
        if (found == std::wstring::npos) {
            out.push_back(text.substr(start));
            return;
        }
        out.push_back(text.substr(start, found - start));
        start = found + 1;
    }
}

std::wstring trimString(const std::wstring& text, const std::wstring& characters)
{
    const std::wstring::size_type first = text.find_first_not_of(characters);
    if (first == std::wstring::npos)
        return std::wstring();
    const std::wstring::size_type last = text.find_last_not_of(characters);
    return text.substr(first, last - first + 1);
}

bool replaceAll(std::string& text, const char* from, const char* to)
{
    return replaceAllIn(text, std::string(from), std::string(to));
}

bool replaceAll(std::wstring& text, const wchar_t* from, const wchar_t* to)
{
    return replaceAllIn(text, std::wstring(from), std::wstring(to));
}

std::string escapeControlCharacters(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            result += "\\\\";
        } else if (c == '\r') {
            result += "\\r";
        } else if (c == '\n') {
            result += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
            result += buffer;
        } else {
            result += c;
        }
    }
    return result;
}

std::string& toUpper(std::string& text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::wstring& toLowerW(std::wstring& text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool parseInt(const std::wstring& text, int& value)
{
    const int read = std::swscanf(text.c_str(), L"%80d", &value);
    return read != 0 && read != EOF;
}

bool parseDouble(const std::wstring& text, double& value)
{
    float single = 0;
    const int read = std::swscanf(text.c_str(), L"%80fp", &single);
    value = single;
    return read != 0 && read != EOF;
}

bool parseBool(const std::wstring& text, bool& value)
{
    value = text == L"true";
    return value || text == L"false";
}

std::string toString(int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%i", value);
    return buffer;
}

std::string toHexString(int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(value));
    return buffer;
}

std::string toString(bool value)
{
    return value ? "true" : "false";
}

std::string toString(double value)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%0.4f", value);
    return buffer;
}

std::wstring toWString(int value)
{
    return toWide(toString(value));
}

std::wstring toWString(bool value)
{
    return value ? L"true" : L"false";
}

std::wstring toWString(double value)
{
    return toWide(toString(value));
}

} // namespace par
