#pragma once

#include <string>

namespace test {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return myPath; }
    // The folder followed by a backslash and the given name.
    std::wstring file(const std::wstring& name) const;

private:
    std::wstring myPath;
};

// Writes bytes to a file, replacing it; returns false on failure.
bool writeFile(const std::wstring& path, const std::string& bytes);
// The whole content of a file, or the empty text when it cannot be read.
std::string readFile(const std::wstring& path);

} // namespace test
