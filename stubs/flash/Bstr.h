#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace standin {

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : myText(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    {
    }
    ~Bstr() { SysFreeString(myText); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return myText; }
    BSTR* out() { return &myText; }
    // Hands the string over to the caller.
    BSTR release()
    {
        BSTR text = myText;
        myText = nullptr;
        return text;
    }
    std::wstring text() const { return toString(myText); }

    // A null BSTR is the empty text.
    static std::wstring toString(BSTR text)
    {
        return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    }

private:
    BSTR myText = nullptr;
};

} // namespace standin
