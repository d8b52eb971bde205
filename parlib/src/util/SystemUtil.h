#pragma once

#include <windows.h>

#include <string>

namespace par {

// A file's version from its fixed version information: major and minor are
// the high and low words of the most significant double word, build and
// revision those of the least significant one.
struct FileVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;

    // -1, 0 or 1, comparing major, then minor, build and revision.
    int compare(const FileVersion& other) const;
    std::wstring toString() const;
};

// Appends the first bytes of a file, up to the limit (the whole file by
// default; 0 only opens it). False, with the last error set, when the path
// cannot be opened or names no file on a disk: a pipe, a serial port or a
// console may block a read for ever.
bool readFileBytes(const std::wstring& path, std::string& bytes, size_t limit = static_cast<size_t>(-1));
// The whole text of a file read in text mode; "" when it cannot be read as
// readFileBytes reads.
// A UTF-8 or UTF-16 byte-order mark decides the decoding; without one each
// byte is one character.
std::wstring readTextFile(const std::wstring& path);
// Writes the text with an fopen mode ("w" or "a", "+", "t" or "b", and
// ", ccs=UTF-8" or ", ccs=UTF-16LE" for that encoding with a byte-order
// mark; without it each character is one byte). False when the file cannot
// be written or a character has no byte in the encoding; a "w" write that
// fails leaves the old file as it was.
bool writeTextFile(const std::wstring& path, const std::wstring& text, const std::wstring& mode);
// True when anything matches the path (folders and wildcards included);
// tabs, blanks and separators at both ends are ignored.
bool fileExists(const std::wstring& path);
std::wstring currentDirectory();
// Fills out only when the file carries a version resource.
bool readFileVersion(FileVersion& out, const std::wstring& path);
// A library of the system loaded from the system folder only, never from the
// program's or the current one; null when it cannot be.
HMODULE loadSystemLibrary(const wchar_t* name);

// The system's text for an error code, or the WinInet error's name where the
// system has no text, or "(PAR) Error description not found".
std::wstring errorText(DWORD code);
std::wstring lastErrorText();

void initLogFont(LOGFONTA& out, const std::string& faceName);
// The decimal text, with zeros in front up to the width.
std::wstring padNumber(int value, int width);
// "major.minor.build, service pack", or "Not found".
std::string osVersionText();
bool isVistaOrLater();

} // namespace par
