// The file, folder and picture commands of the built-in handler.

#include "swfwindow/PrimaryExternalInterfaceHandler.h"

#include "swfwindow/SwfWindow.h"

#include "util/Scoped.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"
#include "util/XmlUtil.h"

#include <windows.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <memory>
#include <new>

namespace swfWindow {

namespace {

std::wstring joined(const std::wstring& prefix, const std::wstring& name)
{
    return prefix.empty() ? name : prefix + L"\\" + name;
}

// Every match of the search, "." and ".." included, in the system's order.
void listMatches(const std::wstring& folder, const std::wstring& prefix, const std::wstring& mask,
                 std::vector<std::wstring>& out)
{
    WIN32_FIND_DATAW data;
    const par::ScopedFindHandle search(FindFirstFileW((folder + L"\\" + mask).c_str(), &data));
    if (!search)
        return;
    do {
        out.push_back(joined(prefix, data.cFileName));
    } while (FindNextFileW(search.get(), &data));
}

void collectRecursively(const std::wstring& folder, const std::wstring& prefix, const std::wstring& mask,
                        std::vector<std::wstring>& out)
{
    listMatches(folder, prefix, mask, out);
    WIN32_FIND_DATAW data;
    const par::ScopedFindHandle search(FindFirstFileW((folder + L"\\*.*").c_str(), &data));
    if (!search)
        return;
    do {
        const std::wstring name = data.cFileName;
        // A link or junction may lead back up the tree: it is listed, never entered.
        const bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink && name != L"." && name != L"..")
            collectRecursively(folder + L"\\" + name, joined(prefix, name), mask, out);
    } while (FindNextFileW(search.get(), &data));
}

// The index of the first encoder of the MIME type, its class id in out;
// -1 when there is none.
int findImageEncoder(const wchar_t* mimeType, CLSID& out)
{
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return -1;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
    if (!buffer)
        return -1;
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.get());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return -1;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType && wcscmp(encoders[i].MimeType, mimeType) == 0) {
            out = encoders[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The thread's last error after a failed step; GDI+ fails some steps (a
// file that is not a picture) without setting one.
DWORD failureCode(DWORD fallback)
{
    const DWORD code = GetLastError();
    return code != 0 ? code : fallback;
}

const wchar_t SUCCESS[] = L"<response/>";

} // namespace

bool PrimaryExternalInterfaceHandler::isSwfFile(const std::wstring& path)
{
    std::string start;
    return par::readFileBytes(path, start, 3) && (start == "CWS" || start == "FWS");
}

bool PrimaryExternalInterfaceHandler::collectFiles(const std::wstring& folder, const std::wstring& mask,
                                                   bool recursive, std::vector<std::wstring>& out)
{
    if (recursive)
        collectRecursively(folder, std::wstring(), mask, out);
    else
        listMatches(folder, std::wstring(), mask, out);
    return true;
}

// Success is decided by GDI+'s status: the last error alone may be left
// over from an earlier call, or not be set at all.
std::wstring PrimaryExternalInterfaceHandler::saveAsPng(const std::wstring& source, const std::wstring& target)
{
    // GDI+ would read a pipe or a device as well, and wait on it for ever.
    std::string none;
    if (!par::readFileBytes(source, none, 0))
        return failure(failureCode(ERROR_ACCESS_DENIED), L"IDS_PICTURE_LOAD_ERROR", source);
    SetLastError(0);
    Gdiplus::Bitmap bitmap(source.c_str(), FALSE);
    if (bitmap.GetLastStatus() != Gdiplus::Ok)
        return failure(failureCode(ERROR_INVALID_DATA), L"IDS_PICTURE_LOAD_ERROR", source);

    CLSID encoder = CLSID_NULL;
    findImageEncoder(L"image/png", encoder);
    SetLastError(0);
    if (bitmap.Save(target.c_str(), &encoder, nullptr) != Gdiplus::Ok)
        return failure(failureCode(ERROR_WRITE_FAULT), L"IDS_LANDSCAPE_IMAGE_SAVE_ERROR", target);
    return SUCCESS;
}

std::wstring PrimaryExternalInterfaceHandler::createDir(const std::wstring& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return SUCCESS;
    const DWORD code = GetLastError();
    return code == 0 ? SUCCESS : failure(code, L"IDS_FOLDER_CREATION_ERROR", path);
}

std::wstring PrimaryExternalInterfaceHandler::deleteFile(const std::wstring& path)
{
    if (DeleteFileW(path.c_str()))
        return SUCCESS;
    const DWORD code = GetLastError();
    return code == 0 ? SUCCESS : failure(code, L"IDS_DELETE_FILE_ERROR", path);
}

// Only folders are opened: the shell would run a program given instead, and
// overruns its own buffers with a path beyond the platform's limit.
std::wstring PrimaryExternalInterfaceHandler::openDir(const std::wstring& path)
{
    if (path.size() >= MAX_PATH)
        return failure(ERROR_FILENAME_EXCED_RANGE, std::wstring(), path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(failureCode(ERROR_PATH_NOT_FOUND), std::wstring(), path);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failure(ERROR_DIRECTORY, std::wstring(), path);
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return SUCCESS;
    const DWORD code = GetLastError();
    return code == 0 ? SUCCESS : failure(code, std::wstring(), path);
}

std::wstring PrimaryExternalInterfaceHandler::failure(unsigned long code, const std::wstring& key,
                                                      const std::wstring& path)
{
    std::wstring message;
    if (!key.empty())
        message = localeString(key) + L"\n";
    message += par::errorText(code) + L"\n";
    message += localeString(L"IDS_PATH") + L": " + path;
    return L"<response errorCode=\"" + std::to_wstring(code) + L"\" errorMessage=\"" +
           par::escapeXmlAttribute(message) + L"\"></response>";
}

// A movie call made while the movie's own call is answered may delete the
// window.
std::wstring PrimaryExternalInterfaceHandler::localeString(const std::wstring& key)
{
    return myOwner ? myOwner->getLocaleString(key) : std::wstring();
}

} // namespace swfWindow
