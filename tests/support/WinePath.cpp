#include "WinePath.h"

#include <algorithm>

namespace test {

std::wstring winePath(const std::string& unixPath)
{
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

} // namespace test
