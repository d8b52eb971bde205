#pragma once

#include "swfwindow/ExternalInterfaceFormat.h"
#include "swfwindow/ShockwaveFlash.h"

#include "util/XmlUtil.h"

#include <memory>
#include <string>

class SwfWindow;

namespace swfWindow {

class PrimaryExternalInterfaceHandler;

// The sink of the control's events. Routes them on the UI thread: ready
// states and progress to the window's listeners, FSCommands by name, and
// ExternalInterface calls to the built-in handler or else the listeners,
// always answering the control. Counts its references, starting with the
// window's one: the control may hold it beyond the window while it finishes
// an event, so a window deleted during an event detaches it first.
class SwfWindowListener : public ShockwaveFlashObjects::_IShockwaveFlashEvents {
public:
    explicit SwfWindowListener(SwfWindow* owner);
    SwfWindowListener(const SwfWindowListener&) = delete;
    SwfWindowListener& operator=(const SwfWindowListener&) = delete;

    // The window is going: nothing more reaches it or its listeners.
    void detach();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

private:
    virtual ~SwfWindowListener();

    // Calls each of the window's listeners in order while the window lives.
    template <typename Call>
    void notifyListeners(Call call);
    HRESULT route(DISPID dispIdMember, const DISPPARAMS& params);
    void onReadyStateChange(const DISPPARAMS& params);
    void onProgress(const DISPPARAMS& params);
    void onFsCommand(const std::wstring& command, const std::wstring& args);
    void onFlashCall(const std::wstring& request);
    void onTrace(const std::wstring& args);
    void onParProgramReady();
    void onXmlCommand(IXMLDOMDocument2Ptr document);
    // The movie's request: checked, then answered at once when it is built
    // in, otherwise offered to the listeners, which answer it later.
    void onXmlRequestText(const std::wstring& text);
    void onXmlRequest(IXMLDOMDocument2Ptr request);
    bool handleBuiltInRequest(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response);
    void saveXml(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response);
    // Modal: returns when the user has chosen or cancelled.
    void openFileDialog(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response);

    ULONG myReferences = 1;
    // Events being handled, nested ones included.
    int myDepth = 0;
    SwfWindow* myOwner;
    std::unique_ptr<PrimaryExternalInterfaceHandler> myHandler;
    ExternalInterfaceDecoder myDecoder;
};

} // namespace swfWindow
