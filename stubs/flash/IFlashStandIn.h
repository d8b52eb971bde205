#pragma once

#include <windows.h>
#include <ole2.h>

// The stand-in control's remote control for tests, reached by QueryInterface
// on the control. Only COM types cross it, so that it serves the registered
// DLL as well as the class linked into a test.

// {E27ACE9C-6FAE-46B9-8011-18A904BF148F}
inline const IID IID_IFlashStandIn =
    {0xE27ACE9C, 0x6FAE, 0x46B9, {0x80, 0x11, 0x18, 0xA9, 0x04, 0xBF, 0x14, 0x8F}};

struct IFlashStandIn : public IUnknown {
    // Events, fired at once to every connected sink.
    // FireFlashCall answers S_OK with what the host handed to SetReturnValue
    // during the event, or S_FALSE and null when it handed nothing.
    virtual HRESULT STDMETHODCALLTYPE FireFlashCall(BSTR request, BSTR* returnValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE FireFSCommand(BSTR command, BSTR args) = 0;
    virtual HRESULT STDMETHODCALLTYPE FireReadyStateChange(long state) = 0;
    virtual HRESULT STDMETHODCALLTYPE FireProgress(long percent) = 0;

    // How CallFunction answers a function: with a value element, or with a
    // failing HRESULT. Calls added with AddFunctionCallback are fired as
    // FlashCall, in order, before the function answers.
    virtual HRESULT STDMETHODCALLTYPE SetFunctionAnswer(BSTR name, BSTR valueElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFunctionFailure(BSTR name, HRESULT result) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddFunctionCallback(BSTR name, BSTR request) = 0;

    // Requests written into "xmlRequest" are answered unless their id is
    // ignored; a hanging movie answers them, and runs what else it planned,
    // only when the hang ends, and answers no function meanwhile.
    virtual HRESULT STDMETHODCALLTYPE SetRequestIgnored(BSTR id, VARIANT_BOOL ignored) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHang(VARIANT_BOOL hang) = 0;

    // Logs, oldest first: variable writes, function calls (the decoded name,
    // empty when the document did not decode, and the document as received),
    // values handed to SetReturnValue.
    virtual HRESULT STDMETHODCALLTYPE GetVariableWriteCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVariableWrite(long index, BSTR* name, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFunctionCallCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFunctionCall(long index, BSTR* name, BSTR* request) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReturnValueCount(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReturnValue(long index, BSTR* value) = 0;

    // The lines the movie shows in the window, joined by "\n".
    virtual HRESULT STDMETHODCALLTYPE GetShownLines(BSTR* lines) = 0;

    // SetVariable of the variable fails with the HRESULT from now on, and
    // the write is neither kept nor logged.
    virtual HRESULT STDMETHODCALLTYPE SetVariableFailure(BSTR name, HRESULT result) = 0;
};

__CRT_UUID_DECL(IFlashStandIn,
                0xE27ACE9C, 0x6FAE, 0x46B9, 0x80, 0x11, 0x18, 0xA9, 0x04, 0xBF, 0x14, 0x8F)

