#pragma once

#include <string>
#include <vector>

namespace test {

// One line of the stand-in control's transcript: its kind, then its fields;
// the time and the process are left out.
using TranscriptEntry = std::vector<std::wstring>;

// The transcript file's lines, their escapes undone; none when it is missing.
std::vector<TranscriptEntry> readTranscript(const std::wstring& path);

} // namespace test
