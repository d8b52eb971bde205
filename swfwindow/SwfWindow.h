#pragma once

#include "swfwindow/ExternalInterfaceFormat.h"
#include "swfwindow/ShockwaveFlash.h"

#include "thread/ListenerList.h"
#include "util/Scoped.h"
#include "util/XmlUtil.h"
#include "winui/Container.h"

#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace swfWindow {
class CommandEventManager;
class InfiniteLoopMonitor;
class OleClientSite;
class OleInPlaceSite;
class StorageStub;
class SwfWindowListener;
} // namespace swfWindow

// The child window that hosts the Shockwave Flash control through site
// objects of its own; the only channel between native code and the movie.
// It does not load a movie: its owner takes getFlash() and does. UI thread
// only.
class SwfWindow : public par::Container {
public:
    // A request to the movie, filed under its root attribute "id" until the
    // movie's "xmlResponse" with that id arrives. The window owns it.
    class Request {
    public:
        explicit Request(IXMLDOMDocument2Ptr document);
        virtual ~Request() = default;
        // A request document: the root "asyncRequest" with the attribute "id".
        static IXMLDOMDocument2Ptr makeDocument(const std::string& id);
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;

        // The whole answer document.
        virtual void onResponse(IXMLDOMDocument2Ptr answer) = 0;
        IXMLDOMDocument2Ptr getDocument() const { return myDocument; }

    private:
        IXMLDOMDocument2Ptr myDocument;
    };

    // The movie's events; every default does nothing.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void onProgress(SwfWindow* source, long percent);
        virtual void onFsCommand(SwfWindow* source, const std::wstring& command,
                                 const std::wstring& args);
        virtual void onXmlCommand(SwfWindow* source, IXMLDOMDocument2Ptr document);
        // A listener that takes the request keeps the response, fills it and
        // sends it later as the variable "xmlResponse".
        virtual void onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr request,
                                  IXMLDOMDocument2Ptr response);
        virtual void onReadyStateChange(SwfWindow* source, long state);
        // The answer to an ExternalInterface call of the movie; the last
        // listener's answer is the one sent.
        virtual std::wstring onExternalCall(SwfWindow* source, const std::wstring& name,
                                            const std::vector<std::wstring>& arguments);
    };

    // Builds the window and the control; a failure is logged and leaves a
    // window without a control. With a holder the window is made in it, as
    // the child that addChild would make of it.
    SwfWindow();
    explicit SwfWindow(par::Window* holder);
    ~SwfWindow() override;

    ShockwaveFlashObjects::IShockwaveFlash* getFlash() const { return myFlash.Get(); }
    swfWindow::CommandEventManager* getCommandEventManager() const { return myCommandEventManager.get(); }
    swfWindow::InfiniteLoopMonitor* getInfiniteLoopMonitor() const { return myInfiniteLoopMonitor.get(); }
    void addListener(Listener* listener, bool owned);
    // A copy to notify from, in the order of addition.
    std::vector<Listener*> getListeners() const { return myListeners.snapshot(); }

    void setFocus() override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Movie variables. setVariable answers -1 without a control; COM errors
    // reach the caller. Wide texts reach the movie unchanged; narrow ones
    // are read in the system's ANSI code page.
    int setVariable(const std::wstring& name, const std::wstring& value);
    int setVariable(const std::string& name, const std::string& value);
    void setXmlVariable(const std::string& name, IXMLDOMDocument2Ptr document);
    void sendXmlCommand(IXMLDOMDocument2Ptr document);
    // Takes the request over. A request still pending under the same id is
    // dropped; one that cannot be written is dropped before the error
    // reaches the caller.
    void sendXmlRequest(Request* request);
    // The movie's FSCommand "xmlResponse".
    void onXmlResponse(IXMLDOMDocument2Ptr document);

    // Calls of the movie's ExternalInterface functions. Arguments are
    // zero-terminated texts; count 0 means none. The raw layers raise COM
    // errors; callFunctionString and the calls above it catch them, log
    // nothing and report false with the result untouched.
    void callFunctionXml(std::wstring& result, const std::wstring& name,
                         const std::wstring& invokeText);
    void invoke(std::wstring& result, const std::wstring& name, const std::wstring& argumentsText);
    void invokeWithArguments(std::wstring& result, const std::wstring& name,
                             const wchar_t* const args[], int count);
    bool callFunctionString(std::wstring& result, const std::wstring& name,
                            const wchar_t* const args[] = nullptr, int count = 0);
    bool callFunction(const std::wstring& name, const wchar_t* const args[] = nullptr, int count = 0);
    // True only for the answers "true" and "false"; value false otherwise.
    bool callFunctionBool(bool& value, const std::wstring& name,
                          const wchar_t* const args[] = nullptr, int count = 0);
    // Without arguments when arg is empty, else with the one argument.
    bool callWithOptionalArg(std::wstring& result, const std::wstring& name, const std::wstring& arg);
    bool callBoolWithOptionalArg(bool& value, const std::wstring& name, const std::wstring& arg);
    bool isParProgram();
    std::wstring getLocaleString(const std::wstring& key);
    // The text key first, then its parameters.
    std::wstring formatLocaleString(const wchar_t* const args[], int count);

private:
    void createControl(const RECT& client);

    // Balances the window's own OLE initialisation; gone after every other
    // member, as it is declared first.
    par::ScopedOleInitialize myOle;
    Microsoft::WRL::ComPtr<IOleObject> myOleObject;
    std::unique_ptr<swfWindow::StorageStub> myStorage;
    std::unique_ptr<swfWindow::OleInPlaceSite> myInPlaceSite;
    std::unique_ptr<swfWindow::OleClientSite> myClientSite;
    // Counts references: the control may still hold it while it finishes an
    // event in which the window was deleted.
    Microsoft::WRL::ComPtr<swfWindow::SwfWindowListener> myEventSink;
    Microsoft::WRL::ComPtr<IConnectionPoint> myConnectionPoint;
    DWORD myAdviseCookie = 0;
    std::unique_ptr<swfWindow::InfiniteLoopMonitor> myInfiniteLoopMonitor;
    std::unique_ptr<swfWindow::CommandEventManager> myCommandEventManager;
    par::ListenerList<Listener> myListeners;
    Microsoft::WRL::ComPtr<ShockwaveFlashObjects::IShockwaveFlash> myFlash;
    std::map<std::string, std::unique_ptr<Request>> myRequests;
    // Decodes every answer of this window's movie.
    swfWindow::ExternalInterfaceDecoder myDecoder;
};
