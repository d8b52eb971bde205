#include "Transcript.h"

#include <string>

namespace standin {

namespace {

const wchar_t* const kVariable = L"FLASH_STANDIN_TRANSCRIPT";

// Fields keep their blanks; tabs, line breaks and backslashes are escaped so
// that every entry stays one line.
void appendField(std::wstring& line, const std::wstring& field)
{
    for (wchar_t c : field) {
        switch (c) {
        case L'\\': line += L"\\\\"; break;
        case L'\t': line += L"\\t"; break;
        case L'\n': line += L"\\n"; break;
        case L'\r': line += L"\\r"; break;
        default: line += c;
        }
    }
}

std::string toUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

} // namespace

Transcript::Transcript() : myStart(GetTickCount())
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(kVariable, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        open(path);
}

bool Transcript::open(const std::wstring& path)
{
    myFile.reset(path.empty() ? INVALID_HANDLE_VALUE
                              : CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return myFile.isValid();
}

void Transcript::write(const wchar_t* kind, const std::vector<std::wstring>& fields)
{
    if (!myFile.isValid())
        return;
    std::wstring line = std::to_wstring(GetTickCount() - myStart) + L"\t" +
                        std::to_wstring(GetCurrentProcessId()) + L"\t" + kind;
    for (const std::wstring& field : fields) {
        line += L'\t';
        appendField(line, field);
    }
    line += L'\n';
    // One write per line: readers and other writers never see half a line.
    const std::string bytes = toUtf8(line);
    DWORD written = 0;
    WriteFile(myFile.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace standin
