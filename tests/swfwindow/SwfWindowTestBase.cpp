#include "SwfWindowTestBase.h"

#include "Bstr.h"
#include "StandInClassFactory.h"
#include "StandInVariables.h"

#include "util/StringUtil.h"
#include "winui/Container.h"

#include <gdiplus.h>

using standin::Bstr;

namespace test {

void SwfWindowTestBase::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    IClassFactory* factory = standin::StandInClassFactory::create();
    const HRESULT registered =
        CoRegisterClassObject(ShockwaveFlashObjects::CLSID_ShockwaveFlash, factory,
                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &myRegistration);
    factory->Release();
    ASSERT_EQ(S_OK, registered);

    app = std::make_unique<TestApplication>(SW_HIDE);
    app->myPersistPlacement = false;
    app->mainWindowFactory = [] { return new par::Container(RGB(0, 0, 0), WS_OVERLAPPEDWINDOW, 0); };
    ASSERT_TRUE(app->init());

    window = std::make_unique<SwfWindow>();
    ASSERT_NE(nullptr, window->getFlash());
    ASSERT_EQ(S_OK, window->getFlash()->QueryInterface(IID_IFlashStandIn,
                                                       reinterpret_cast<void**>(standIn.GetAddressOf())));
}

void SwfWindowTestBase::TearDown()
{
    destroyWindow();
    app.reset();
    revokeStandIn();
    OleUninitialize();
}

void SwfWindowTestBase::revokeStandIn()
{
    if (myRegistration)
        CoRevokeClassObject(myRegistration);
    myRegistration = 0;
}

void SwfWindowTestBase::destroyWindow()
{
    standIn.Reset();
    window.reset();
}

std::vector<std::wstring> SwfWindowTestBase::variableValues(const std::wstring& name) const
{
    return test::variableValues(standIn.Get(), name);
}

std::vector<std::wstring> SwfWindowTestBase::functionRequests() const
{
    std::vector<std::wstring> requests;
    long count = 0;
    standIn->GetFunctionCallCount(&count);
    for (long i = 0; i < count; ++i) {
        Bstr name;
        Bstr request;
        standIn->GetFunctionCall(i, name.out(), request.out());
        requests.push_back(request.text());
    }
    return requests;
}

std::vector<std::wstring> SwfWindowTestBase::returnValues() const
{
    std::vector<std::wstring> values;
    long count = 0;
    standIn->GetReturnValueCount(&count);
    for (long i = 0; i < count; ++i) {
        Bstr value;
        standIn->GetReturnValue(i, value.out());
        values.push_back(value.text());
    }
    return values;
}

std::optional<std::wstring> SwfWindowTestBase::fireFlashCall(const std::wstring& request)
{
    Bstr answer;
    if (standIn->FireFlashCall(Bstr(request).get(), answer.out()) != S_OK)
        return std::nullopt;
    return answer.text();
}

std::optional<std::wstring> SwfWindowTestBase::fireCall(const std::wstring& name,
                                                        const std::vector<std::wstring>& args)
{
    std::wstring request = L"<invoke name=\"" + name + L"\" returntype=\"xml\"><arguments>";
    for (std::wstring arg : args) {
        par::replaceAll(arg, L"&", L"&amp;");
        par::replaceAll(arg, L"<", L"&lt;");
        request += L"<string>" + arg + L"</string>";
    }
    return fireFlashCall(request + L"</arguments></invoke>");
}

void SwfWindowTestBase::fireFsCommand(const std::wstring& command, const std::wstring& args)
{
    standIn->FireFSCommand(Bstr(command).get(), Bstr(args).get());
}

void RecordingListener::onProgress(SwfWindow* source, long percent)
{
    sources.push_back(source);
    calls.push_back(L"progress " + par::toWString(static_cast<int>(percent)));
}

void RecordingListener::onFsCommand(SwfWindow* source, const std::wstring& command,
                                    const std::wstring& args)
{
    sources.push_back(source);
    calls.push_back(L"fscommand " + command + L" " + args);
}

void RecordingListener::onXmlCommand(SwfWindow* source, IXMLDOMDocument2Ptr document)
{
    sources.push_back(source);
    calls.push_back(L"xmlCommand " + xmlText(document));
}

void RecordingListener::onXmlRequest(SwfWindow* source, IXMLDOMDocument2Ptr request,
                                     IXMLDOMDocument2Ptr response)
{
    sources.push_back(source);
    calls.push_back(L"xmlRequest " + xmlText(request));
    lastRequest = request;
    lastResponse = response;
    if (onRequest)
        onRequest();
}

void RecordingListener::onReadyStateChange(SwfWindow* source, long state)
{
    sources.push_back(source);
    calls.push_back(L"readyState " + par::toWString(static_cast<int>(state)));
}

std::wstring RecordingListener::onExternalCall(SwfWindow* source, const std::wstring& name,
                                               const std::vector<std::wstring>& arguments)
{
    sources.push_back(source);
    std::wstring call = L"call " + name;
    for (const std::wstring& argument : arguments)
        call += L" [" + argument + L"]";
    calls.push_back(call);
    return answer ? answer(name, arguments) : std::wstring();
}

TrackedRequest::TrackedRequest(const std::string& id, RequestFate& fate)
    : SwfWindow::Request(makeDocument(id)), myFate(fate)
{
}

TrackedRequest::~TrackedRequest()
{
    ++myFate.deleted;
}

void TrackedRequest::onResponse(IXMLDOMDocument2Ptr answer)
{
    ++myFate.completed;
    myFate.answer = xmlText(answer);
    if (onAnswered)
        onAnswered();
}

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&myToken, &input, nullptr);
}

GdiplusSession::~GdiplusSession()
{
    Gdiplus::GdiplusShutdown(myToken);
}

std::wstring xmlText(const IXMLDOMNodePtr& node)
{
    BSTR xml = nullptr;
    node->get_xml(&xml);
    std::wstring text = Bstr::toString(xml);
    SysFreeString(xml);
    return withoutLayout(text);
}

std::wstring withoutLayout(std::wstring text)
{
    par::replaceAll(text, L"\r", L"");
    par::replaceAll(text, L"\n", L"");
    par::replaceAll(text, L"\t", L"");
    return text;
}

IXMLDOMDocument2Ptr parseXml(const std::wstring& text)
{
    IXMLDOMDocument2Ptr document = par::createXmlDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(_bstr_t(text.c_str()), &loaded);
    return document;
}

} // namespace test
