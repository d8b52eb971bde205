#pragma once

#include "SwfWindowTestBase.h"

#include "Bstr.h"
#include "TempDir.h"

#include <string>

namespace test {

// The built-in native interface driven by the movie's calls: GDI+ runs, a
// recording listener sees what the interface passes on, and the movie
// answers every "getLocaleString" with "Localized".
class NativeApiTestBase : public SwfWindowTestBase {
protected:
    void SetUp() override
    {
        SwfWindowTestBase::SetUp();
        window->addListener(&listener, false);
        standIn->SetFunctionAnswer(standin::Bstr(L"getLocaleString").get(),
                                   standin::Bstr(L"<string>Localized</string>").get());
    }

    static std::wstring text(const std::wstring& value) { return L"<string>" + value + L"</string>"; }

    // The errorCode attribute of the call's failure document, or "".
    std::wstring errorCodeOf(const std::wstring& name, const std::vector<std::wstring>& args)
    {
        const std::wstring answer = fireCall(name, args).value_or(L"");
        const std::wstring::size_type at = answer.find(L"errorCode=\"");
        if (at == std::wstring::npos)
            return L"";
        return answer.substr(at + 11, answer.find(L'"', at + 11) - at - 11);
    }

    // A 24-bit bitmap file, grey.
    static void writeBitmapFile(const std::wstring& path, int width, int height)
    {
        const int rowBytes = (width * 3 + 3) / 4 * 4;
        BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
        file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes * height);
        BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        writeFile(path, bytes.append(static_cast<size_t>(rowBytes * height), '\x7f'));
    }

    // The texts the movie was asked for, in order.
    std::vector<std::wstring> askedTexts() const
    {
        std::vector<std::wstring> keys;
        for (const std::wstring& request : functionRequests()) {
            const std::wstring::size_type at = request.find(L"<string>IDS_");
            if (at != std::wstring::npos)
                keys.push_back(request.substr(at + 8, request.find(L'<', at + 8) - at - 8));
        }
        return keys;
    }

    GdiplusSession gdiplus;
    RecordingListener listener;
};

} // namespace test
