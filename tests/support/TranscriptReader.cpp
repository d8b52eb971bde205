#include "TranscriptReader.h"

#include "TempDir.h"

#include <windows.h>

namespace test {

std::vector<TranscriptEntry> readTranscript(const std::wstring& path)
{
    const std::string bytes = readFile(path);
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        &text[0], static_cast<int>(text.size()))));
    std::vector<TranscriptEntry> entries;
    TranscriptEntry fields(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\n') {
            if (fields.size() > 2)
                entries.emplace_back(fields.begin() + 2, fields.end());
            fields.assign(1, std::wstring());
        } else if (c == L'\t') {
            fields.emplace_back();
        } else if (c == L'\\' && i + 1 < text.size()) {
            const wchar_t escaped = text[++i];
            fields.back() += escaped == L'n' ? L'\n' : escaped == L't' ? L'\t' : escaped == L'r' ? L'\r' : escaped;
        } else {
            fields.back() += c;
        }
    }
    return entries;
}

} // namespace test
