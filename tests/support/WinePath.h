#pragma once

#include <string>

namespace test {

// The Wine path of a file named by a Unix path (the build's), on drive Z:.
std::wstring winePath(const std::string& unixPath);

} // namespace test
