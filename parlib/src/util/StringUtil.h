#pragma once

#include <list>
#include <string>

namespace par {

// Character-by-character conversions, no code page: only ASCII passes both
// ways unchanged. A narrow byte of 0x80 or more widens as a signed char.
std::string toNarrow(const std::wstring& text);
std::wstring toWide(const std::string& text);

// Appends the pieces of the text to out. At each step the first delimiter
// (in the order of the delimiter string) found from the current position
// ends the piece.
void splitString(std::list<std::wstring>& out, const std::wstring& text,
                 const std::wstring& delimiters);
std::wstring trimString(const std::wstring& text, const std::wstring& characters);

// Replaces every occurrence, never rescanning a replacement; true when
// anything was replaced. An empty pattern replaces nothing.
bool replaceAll(std::string& text, const char* from, const char* to);
bool replaceAll(std::wstring& text, const wchar_t* from, const wchar_t* to);

// The text with its control characters written out, for a line of a log:
// CR as \r, LF as \n, the others below 0x20 and 0x7F as \xHH, and a
// backslash as \\ so that the escaping reads back unambiguously.
std::string escapeControlCharacters(const std::string& text);

std::string& toUpper(std::string& text);
std::wstring& toLowerW(std::wstring& text);

// Leading blanks are skipped and text after the number is ignored.
bool parseInt(const std::wstring& text, int& value);
// Parsed with single precision, then widened.
bool parseDouble(const std::wstring& text, double& value);
// Only exactly "true" and "false"; anything else fails with value false.
bool parseBool(const std::wstring& text, bool& value);

std::string toString(int value);
std::string toHexString(int value);
std::string toString(bool value);
std::string toString(double value);
std::wstring toWString(int value);
std::wstring toWString(bool value);
std::wstring toWString(double value);

} // namespace par
