#include "util/SystemUtil.h"

#include "util/Scoped.h"
#include "util/StringUtil.h"

#include <algorithm>
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

enum class TextEncoding { LATIN1, UTF8, UTF16LE };

struct TextFileMode {
    bool valid = false;
    bool append = false;
    bool textMode = true;
    TextEncoding encoding = TextEncoding::LATIN1;
};

// The fopen modes this writer knows: "w" or "a", "+", "t" or "b", and an
// optional ", ccs=UTF-8", "ccs=UTF-16LE" or "ccs=UNICODE".
TextFileMode parseMode(const std::wstring& mode)
{
    TextFileMode parsed;
    const std::wstring::size_type comma = mode.find(L',');
    const std::wstring flags = mode.substr(0, comma);
    if (flags.empty() || (flags[0] != L'w' && flags[0] != L'a') ||
        flags.find_first_not_of(L"wa+tb") != std::wstring::npos)
        return parsed;
    parsed.append = flags[0] == L'a';
    parsed.textMode = flags.find(L'b') == std::wstring::npos;
    if (comma != std::wstring::npos) {
        const std::wstring encoding = trimString(mode.substr(comma + 1), L" ");
        if (encoding == L"ccs=UTF-8")
            parsed.encoding = TextEncoding::UTF8;
        else if (encoding == L"ccs=UTF-16LE" || encoding == L"ccs=UNICODE")
            parsed.encoding = TextEncoding::UTF16LE;
        else
            return parsed;
    }
    parsed.valid = true;
    return parsed;
}

std::string byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::UTF8:
        return "\xEF\xBB\xBF";
    case TextEncoding::UTF16LE:
        return "\xFF\xFE";
    case TextEncoding::LATIN1:
        break;
    }
    return std::string();
}

// False when a character cannot be written in the encoding: a text cut
// short must not pass for saved.
bool encodeText(const std::wstring& text, TextEncoding encoding, std::string& out)
{
    out.clear();
    switch (encoding) {
    case TextEncoding::LATIN1:
        for (const wchar_t c : text) {
            if (c > 0xFF)
                return false;
            out += static_cast<char>(c);
        }
        return true;
    case TextEncoding::UTF8: {
        if (text.empty())
            return true;
        const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                               nullptr, 0, nullptr, nullptr);
        if (length <= 0)
            return false;
        out.resize(static_cast<size_t>(length));
        return WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                   length, nullptr, nullptr) == length;
    }
    case TextEncoding::UTF16LE:
        for (const wchar_t c : text) {
            out += static_cast<char>(c & 0xFF);
            out += static_cast<char>((c >> 8) & 0xFF);
        }
        return true;
    }
    return false;
}

std::wstring utf8ToWide(const char* bytes, size_t size)
{
    if (size == 0)
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), &text[0], length);
    return text;
}

// Text mode on disk: every line feed is written as CR LF, and a CR LF pair
// is read as one line feed.
std::wstring withCarriageReturns(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        if (c == L'\n')
            out += L'\r';
        out += c;
    }
    return out;
}

std::wstring withoutCarriageReturns(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' || i + 1 == text.size() || text[i + 1] != L'\n')
            out += text[i];
    }
    return out;
}

bool writeAll(HANDLE file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Written beside the file first and then put in its place, so that a write
// that fails leaves the old file as it was.
bool replaceFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? L"." : path.substr(0, separator + 1);
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"txt", 0, temporary))
        return false;
    bool written = false;
    {
        const ScopedHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file && writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    }
    if (written && MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary);
    return false;
}

bool appendToFile(const std::wstring& path, const std::string& bytes, const std::string& markOfNewFile)
{
    const ScopedHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size))
        return false;
    return (size.QuadPart != 0 || writeAll(file.get(), markOfNewFile)) && writeAll(file.get(), bytes);
}

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

bool readFileBytes(const std::wstring& path, std::string& bytes, size_t limit)
{
    const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    char piece[READ_PIECE];
    DWORD read = 0;
    while (bytes.size() < limit
           && ReadFile(file.get(), piece, static_cast<DWORD>(std::min(sizeof piece, limit - bytes.size())),
                       &read, nullptr)
           && read > 0)
        bytes.append(piece, read);
    return true;
}

std::wstring readTextFile(const std::wstring& path)
{
    std::string bytes;
    if (!readFileBytes(path, bytes))
        return std::wstring();
    std::wstring text;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = utf8ToWide(bytes.data() + 3, bytes.size() - 3);
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        const bool bigEndian = bytes[0] == '\xFE';
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned char first = static_cast<unsigned char>(bytes[i]);
            const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
            text += static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        }
    } else {
        // Without a byte-order mark, byte by byte as the runtime's default
        // locale reads it, up to the end-of-file character of text mode.
        for (const char byte : bytes) {
            if (byte == '\x1A')
                break;
            text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
        }
    }
    return withoutCarriageReturns(text);
}

bool writeTextFile(const std::wstring& path, const std::wstring& text, const std::wstring& mode)
{
    const TextFileMode parsed = parseMode(mode);
    if (!parsed.valid)
        return false;
    std::string bytes;
    if (!encodeText(parsed.textMode ? withCarriageReturns(text) : text, parsed.encoding, bytes))
        return false;
    if (parsed.append)
        return appendToFile(path, bytes, byteOrderMark(parsed.encoding));
    return replaceFile(path, byteOrderMark(parsed.encoding) + bytes);
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

HMODULE loadSystemLibrary(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryW((std::wstring(folder) + L"\\" + name).c_str());
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
