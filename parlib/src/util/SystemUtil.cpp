#include "util/SystemUtil.h"

#include "util/StringUtil.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace par {

namespace {

// WinInet error names without their "ERROR_INTERNET_" prefix, indexed by
// (code - 12000), for systems whose message table lacks WinInet's texts.
const wchar_t* const WININET_ERROR_NAMES[] = {
    L"unknown", L"OUT_OF_HANDLES", L"TIMEOUT", L"EXTENDED_ERROR", L"INTERNAL_ERROR",
    L"INVALID_URL", L"UNRECOGNIZED_SCHEME", L"NAME_NOT_RESOLVED", L"PROTOCOL_NOT_FOUND",
    L"INVALID_OPTION", L"BAD_OPTION_LENGTH", L"OPTION_NOT_SETTABLE", L"SHUTDOWN",
    L"INCORRECT_USER_NAME", L"INCORRECT_PASSWORD", L"LOGIN_FAILURE", L"INVALID_OPERATION",
    L"OPERATION_CANCELLED", L"INCORRECT_HANDLE_TYPE", L"INCORRECT_HANDLE_STATE",
    L"NOT_PROXY_REQUEST", L"REGISTRY_VALUE_NOT_FOUND", L"BAD_REGISTRY_PARAMETER",
    L"NO_DIRECT_ACCESS", L"NO_CONTEXT", L"NO_CALLBACK", L"REQUEST_PENDING",
    L"INCORRECT_FORMAT", L"ITEM_NOT_FOUND", L"CANNOT_CONNECT", L"CONNECTION_ABORTED",
    L"CONNECTION_RESET", L"FORCE_RETRY", L"INVALID_PROXY_REQUEST", L"NEED_UI", L"unknown",
    L"HANDLE_EXISTS", L"SEC_CERT_DATE_INVALID", L"SEC_CERT_CN_INVALID",
    L"HTTP_TO_HTTPS_ON_REDIR", L"HTTPS_TO_HTTP_ON_REDIR", L"MIXED_SECURITY",
    L"CHG_POST_IS_NON_SECURE", L"POST_IS_NON_SECURE", L"CLIENT_AUTH_CERT_NEEDED",
    L"INVALID_CA", L"CLIENT_AUTH_NOT_SETUP", L"ASYNC_THREAD_FAILED", L"REDIRECT_SCHEME_CHANGE",
    L"DIALOG_PENDING", L"RETRY_DIALOG", L"unknown", L"HTTPS_HTTP_SUBMIT_REDIR", L"INSERT_CDROM",
    L"FORTEZZA_LOGIN_NEEDED", L"SEC_CERT_ERRORS", L"SEC_CERT_NO_REV", L"SEC_CERT_REV_FAILED",
};
const DWORD WININET_ERROR_BASE = 12000;
const DWORD WININET_ERROR_LAST = 12057;
static_assert(sizeof WININET_ERROR_NAMES / sizeof WININET_ERROR_NAMES[0] == 58,
              "one name for each code from 12000 to 12057");

const size_t READ_PIECE = 2048;

class ScopedFile {
public:
    explicit ScopedFile(FILE* file) : myFile(file) {}
    ~ScopedFile()
    {
        if (myFile)
            fclose(myFile);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    FILE* get() const { return myFile; }

private:
    FILE* myFile;
};

} // namespace

int FileVersion::compare(const FileVersion& other) const
{
    const int mine[] = {major, minor, build, revision};
    const int theirs[] = {other.major, other.minor, other.build, other.revision};
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != theirs[i])
            return mine[i] < theirs[i] ? -1 : 1;
    }
    return 0;
}

std::wstring FileVersion::toString() const
{
    return toWString(major) + L"." + toWString(minor) + L"." + toWString(build) + L"." +
           toWString(revision);
}

std::wstring readTextFile(const std::wstring& path)
{
    ScopedFile file(_wfopen(path.c_str(), L"rt"));
    if (!file.get())
        return std::wstring();
    std::wstring text;
    wchar_t piece[READ_PIECE];
    while (fgetws(piece, READ_PIECE, file.get()))
        text += piece;
    return text;
}

bool writeTextFile(const std::wstring& path, const std::wstring& text, const std::wstring& mode)
{
    ScopedFile file(_wfopen(path.c_str(), mode.c_str()));
    if (!file.get())
        return false;
    if (fputws(text.c_str(), file.get()) < 0)
        return false;
    return fflush(file.get()) == 0 && !ferror(file.get());
}

bool fileExists(const std::wstring& path)
{
    const std::wstring trimmed = trimString(path, L"\t \\/");
    if (trimmed.empty())
        return false;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(trimmed.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

std::wstring currentDirectory()
{
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(length + 1);
    const DWORD written = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (written == 0 || written >= buffer.size())
        return std::wstring();
    return std::wstring(buffer.data(), written);
}

bool readFileVersion(FileVersion& out, const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        !info || infoSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    out.major = HIWORD(info->dwFileVersionMS);
    out.minor = LOWORD(info->dwFileVersionMS);
    out.build = HIWORD(info->dwFileVersionLS);
    out.revision = LOWORD(info->dwFileVersionLS);
    return true;
}

std::wstring errorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length != 0 && buffer) {
        std::wstring text = trimString(std::wstring(buffer, length), L"\n\r");
        LocalFree(buffer);
        return text;
    }
    if (buffer)
        LocalFree(buffer);
    if (code > WININET_ERROR_BASE && code <= WININET_ERROR_LAST) {
        const std::wstring name = WININET_ERROR_NAMES[code - WININET_ERROR_BASE];
        if (name != L"unknown")
            return name;
    }
    return L"(PAR) Error description not found";
}

std::wstring lastErrorText()
{
    return errorText(GetLastError());
}

void initLogFont(LOGFONTA& out, const std::string& faceName)
{
    std::memset(&out, 0, sizeof out);
    out.lfHeight = 12;
    out.lfCharSet = DEFAULT_CHARSET;
    // The face name field holds 31 characters and its zero.
    std::strncpy(out.lfFaceName, faceName.c_str(), LF_FACESIZE - 1);
}

std::wstring padNumber(int value, int width)
{
    std::wstring text = toWString(value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, width - text.size(), L'0');
    return text;
}

std::string osVersionText()
{
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return "Not found";
    return toString(static_cast<int>(info.dwMajorVersion)) + "." +
           toString(static_cast<int>(info.dwMinorVersion)) + "." +
           toString(static_cast<int>(info.dwBuildNumber)) + ", " + info.szCSDVersion;
}

bool isVistaOrLater()
{
    OSVERSIONINFOEXA wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 6;
    wanted.dwMinorVersion = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoA(&wanted, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

} // namespace par
