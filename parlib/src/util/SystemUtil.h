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

// The whole text of a file read in text mode; "" when it cannot be opened.
std::wstring readTextFile(const std::wstring& path);
// Writes the text with the given fopen mode; false when the file cannot be
// opened or the write fails.
bool writeTextFile(const std::wstring& path, const std::wstring& text, const std::wstring& mode);
// True when anything matches the path (folders and wildcards included);
// tabs, blanks and separators at both ends are ignored.
bool fileExists(const std::wstring& path);
std::wstring currentDirectory();
// Fills out only when the file carries a version resource.
bool readFileVersion(FileVersion& out, const std::wstring& path);

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
