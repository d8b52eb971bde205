// The ExternalInterface calls of SwfWindow, from the raw call document up
// to the typed convenience calls.

#include "swfwindow/SwfWindow.h"

#include "swfwindow/ExternalInterfaceFormat.h"

#include "util/ComUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

void SwfWindow::callFunctionXml(std::wstring& result, const std::wstring& name,
                                const std::wstring& invokeText)
{
    if (!myFlash)
        _com_issue_error(E_POINTER);
    BSTR response = nullptr;
    const HRESULT called = myFlash->CallFunction(_bstr_t(invokeText.c_str()), &response);
    const _bstr_t owned(response, false);
    par::checkResult(called);
    const std::wstring answer = par::bstrToWide(response);

    if (answer == L"undefined") {
        par::logSevere("Function " + par::toNarrow(name) + " returned 'undefined', not <undefined/>");
        result.clear();
        return;
    }
    result = myDecoder.decodeAnswer(answer);
}

void SwfWindow::invoke(std::wstring& result, const std::wstring& name,
                       const std::wstring& argumentsText)
{
    callFunctionXml(result, name, swfWindow::buildInvokeDocument(name, argumentsText));
}

void SwfWindow::invokeWithArguments(std::wstring& result, const std::wstring& name,
                                    const wchar_t* const args[], int count)
{
    invoke(result, name, swfWindow::encodeArguments(args, count));
}

bool SwfWindow::callFunctionString(std::wstring& result, const std::wstring& name,
                                   const wchar_t* const args[], int count)
{
    try {
        std::wstring answer;
        invokeWithArguments(answer, name, args, count);
        result = answer;
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

bool SwfWindow::callFunction(const std::wstring& name, const wchar_t* const args[], int count)
{
    std::wstring scratch;
    return callFunctionString(scratch, name, args, count);
}

bool SwfWindow::callFunctionBool(bool& value, const std::wstring& name, const wchar_t* const args[],
                                 int count)
{
    std::wstring answer;
    callFunctionString(answer, name, args, count);
    return par::parseBool(answer, value);
}

bool SwfWindow::callWithOptionalArg(std::wstring& result, const std::wstring& name,
                                    const std::wstring& arg)
{
    if (arg.empty())
        return callFunctionString(result, name);
    const wchar_t* const args[] = {arg.c_str()};
    return callFunctionString(result, name, args, 1);
}

bool SwfWindow::callBoolWithOptionalArg(bool& value, const std::wstring& name,
                                        const std::wstring& arg)
{
    if (arg.empty())
        return callFunctionBool(value, name);
    const wchar_t* const args[] = {arg.c_str()};
    return callFunctionBool(value, name, args, 1);
}

bool SwfWindow::isParProgram()
{
    bool value = false;
    return callBoolWithOptionalArg(value, L"isParProgram", L"") && value;
}

std::wstring SwfWindow::getLocaleString(const std::wstring& key)
{
    std::wstring text;
    return callWithOptionalArg(text, L"getLocaleString", key) ? text : std::wstring();
}

std::wstring SwfWindow::formatLocaleString(const wchar_t* const args[], int count)
{
    std::wstring text;
    return callFunctionString(text, L"formatLocaleString", args, count) ? text : std::wstring();
}
