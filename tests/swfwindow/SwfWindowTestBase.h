#pragma once

#include "swfwindow/SwfWindow.h"

#include "IFlashStandIn.h"
#include "TestApplication.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test {

using Microsoft::WRL::ComPtr;

// A SwfWindow hosting the stand-in control, whose class is registered in
// this process, under an application with a main window (the hand-off
// target of worker threads).
class SwfWindowTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Destroys the window ahead of the fixture.
    void destroyWindow();
    // Takes the stand-in's class back out of COM ahead of the fixture.
    void revokeStandIn();

    // The stand-in's logs, oldest first.
    std::vector<std::wstring> variableValues(const std::wstring& name) const;
    std::vector<std::wstring> functionRequests() const;
    std::vector<std::wstring> returnValues() const;

    // Fires the events as the movie would. A FlashCall answers what the host
    // handed to SetReturnValue, or nothing.
    std::optional<std::wstring> fireFlashCall(const std::wstring& request);
    // The movie's call of a function with string arguments.
    std::optional<std::wstring> fireCall(const std::wstring& name,
                                         const std::vector<std::wstring>& args = {});
    void fireFsCommand(const std::wstring& command, const std::wstring& args);

    std::unique_ptr<TestApplication> app;
    std::unique_ptr<SwfWindow> window;
    ComPtr<IFlashStandIn> standIn;

private:
    DWORD myRegistration = 0;
};

// Records the listener calls as short texts, in order; external calls
// answer through a function (empty by default).
class RecordingListener : public SwfWindow::Listener {
public:
    void onProgress(SwfWindow* source, long percent) override;
    void onFsCommand(SwfWindow* source, const std::wstring& command, const std::wstring& args) override;
    void onXmlCommand(SwfWindow* source, IXMLDOMDocument2Ptr document) override;
    void onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr request,
                      IXMLDOMDocument2Ptr response) override;
    void onReadyStateChange(SwfWindow* source, long state) override;
    std::wstring onExternalCall(SwfWindow* source, const std::wstring& name,
                                const std::vector<std::wstring>& arguments) override;

    std::vector<std::wstring> calls;
    std::vector<SwfWindow*> sources;
    IXMLDOMDocument2Ptr lastRequest;
    IXMLDOMDocument2Ptr lastResponse;
    std::function<std::wstring(const std::wstring& name, const std::vector<std::wstring>& arguments)>
        answer;
    std::function<void()> onRequest;
};

// What became of a TrackedRequest; outlives the request.
struct RequestFate {
    int completed = 0;
    int deleted = 0;
    std::wstring answer;
};

// A request "asyncRequest" with the given id that reports its fate.
class TrackedRequest : public SwfWindow::Request {
public:
    TrackedRequest(const std::string& id, RequestFate& fate);
    ~TrackedRequest() override;
    void onResponse(IXMLDOMDocument2Ptr answer) override;

    // Called from onResponse.
    std::function<void()> onAnswered;

private:
    RequestFate& myFate;
};

// GDI+ for the life of the object, as the program's entry point starts it.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR myToken = 0;
};

// The document's text without the line ends and tabs that Wine's MSXML
// lays it out with.
std::wstring xmlText(const IXMLDOMNodePtr& node);
std::wstring withoutLayout(std::wstring text);
IXMLDOMDocument2Ptr parseXml(const std::wstring& text);

} // namespace test
