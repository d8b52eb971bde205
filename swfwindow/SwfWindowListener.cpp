#include "swfwindow/SwfWindowListener.h"

#include "swfwindow/ComDiagnostics.h"
#include "swfwindow/CommandEventManager.h"
#include "swfwindow/ExternalInterfaceFormat.h"
#include "swfwindow/InfiniteLoopMonitor.h"
#include "swfwindow/PrimaryExternalInterfaceHandler.h"
#include "swfwindow/SwfWindow.h"

#include "util/ComUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"
#include "util/SystemUtil.h"

#include <commdlg.h>
#include <wrl/client.h>

#include <cwchar>
#include <vector>

using namespace ShockwaveFlashObjects;

namespace swfWindow {

namespace {

const DWORD FILE_BUFFER_LENGTH = 10000;

// comdlg32 is loaded when a movie first asks for the dialog, not with the
// program: it brings the printing libraries along, megabytes and tens of
// milliseconds at every start for a dialog that most runs never open.
BOOL getOpenFileName(OPENFILENAMEW* dialog)
{
    using GetOpenFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    static const GetOpenFileNameFunction function = [] {
        HMODULE library = par::loadSystemLibrary(L"comdlg32.dll");
        return library ? reinterpret_cast<GetOpenFileNameFunction>(
                             reinterpret_cast<void (*)()>(GetProcAddress(library, "GetOpenFileNameW")))
                       : nullptr;
    }();
    if (!function) {
        par::logSevere("SwfWindowListener::openFileDialog(), comdlg32.dll offers no GetOpenFileNameW");
        return FALSE;
    }
    return function(dialog);
}

// The string argument at a DISPPARAMS index (the last argument is at 0);
// empty when the control passed fewer arguments or no string.
std::wstring stringArgument(const DISPPARAMS& params, UINT index)
{
    if (index >= params.cArgs || !params.rgvarg)
        return std::wstring();
    const VARIANTARG& argument = params.rgvarg[index];
    BSTR text = nullptr;
    if (argument.vt == VT_BSTR)
        text = argument.bstrVal;
    else if (argument.vt == (VT_BSTR | VT_BYREF) && argument.pbstrVal)
        text = *argument.pbstrVal;
    return par::bstrToWide(text);
}

// A new document holding the text, or empty when the text does not parse.
IXMLDOMDocument2Ptr loadDocument(const std::wstring& text, bool* loaded = nullptr)
{
    IXMLDOMDocument2Ptr document = par::createXmlDocument();
    VARIANT_BOOL success = VARIANT_FALSE;
    const HRESULT result = document->loadXML(_bstr_t(text.c_str()), &success);
    if (loaded)
        *loaded = result == S_OK && success == VARIANT_TRUE;
    return document;
}

IXMLDOMElementPtr documentElement(const IXMLDOMDocument2Ptr& document)
{
    IXMLDOMElementPtr root;
    par::checkResult(document->get_documentElement(&root));
    return root;
}

std::wstring xmlOf(const IXMLDOMNodePtr& node)
{
    BSTR xml = nullptr;
    par::checkResult(node->get_xml(&xml));
    const _bstr_t owned(xml, false);
    return par::bstrToWide(xml);
}

// The node and its content, indented, into a file of its own: UTF-8 with a
// byte-order mark as the unformatted road writes it, so that "loadText"
// reads either back. The text keeps the line ends the document was laid
// out with.
bool saveFormatted(const IXMLDOMNodePtr& content, const std::wstring& path)
{
    const IXMLDOMDocument2Ptr document = par::createXmlDocument();
    IXMLDOMNodePtr copy;
    par::checkResult(content->cloneNode(VARIANT_TRUE, &copy));
    IXMLDOMNodePtr appended;
    par::checkResult(document->appendChild(copy, &appended));
    const IXMLDOMDocument2Ptr formatted = par::formatXmlDocument(document);
    return par::writeTextFile(path, xmlOf(formatted), L"w+b, ccs=UTF-8");
}

std::string requestTag(const std::string& id, const std::string& uin)
{
    return "id: \"" + id + "\" uin:\"" + uin + "\"";
}

} // namespace

SwfWindowListener::SwfWindowListener(SwfWindow* owner)
    : myOwner(owner), myHandler(std::make_unique<PrimaryExternalInterfaceHandler>(owner))
{
}

SwfWindowListener::~SwfWindowListener() = default;

void SwfWindowListener::detach()
{
    myOwner = nullptr;
    // Every decoding ends before a listener is called, so its document can
    // go now, while the window's OLE initialisation still holds.
    myDecoder = ExternalInterfaceDecoder();
    // A built-in command still running keeps its handler until the sink goes.
    if (myDepth == 0)
        myHandler.reset();
    else
        myHandler->detach();
}

template <typename Call>
void SwfWindowListener::notifyListeners(Call call)
{
    for (SwfWindow::Listener* listener : myOwner->getListeners()) {
        call(listener);
        // A listener that deleted the window also deleted the listeners it owned.
        if (!myOwner)
            return;
    }
}

HRESULT STDMETHODCALLTYPE SwfWindowListener::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID__IShockwaveFlashEvents) {
        *object = static_cast<_IShockwaveFlashEvents*>(this);
        AddRef();
        logQueryInterface("SwfWindowListener", "IID_IUnknown | IID_IDispatch | ISwfWindowListener", false);
        return S_OK;
    }
    *object = nullptr;
    par::logSevere("SwfWindowListener didn't return requested interface.");
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE SwfWindowListener::AddRef()
{
    return ++myReferences;
}

ULONG STDMETHODCALLTYPE SwfWindowListener::Release()
{
    const ULONG references = --myReferences;
    if (references == 0)
        delete this;
    return references;
}

HRESULT STDMETHODCALLTYPE SwfWindowListener::GetTypeInfoCount(UINT*)
{
    return logNotImplemented("GetTypeInfoCount");
}

HRESULT STDMETHODCALLTYPE SwfWindowListener::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return logNotImplemented("GetTypeInfo");
}

HRESULT STDMETHODCALLTYPE SwfWindowListener::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return logNotImplemented("GetIDsOfNames");
}

HRESULT STDMETHODCALLTYPE SwfWindowListener::Invoke(DISPID dispIdMember, REFIID, LCID, WORD,
                                                    DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*,
                                                    UINT*)
{
    static const DISPPARAMS kNoParameters = {nullptr, nullptr, 0, 0};
    const DISPPARAMS& params = pDispParams ? *pDispParams : kNoParameters;
    if (!myOwner)
        return S_OK;
    // Alive to the end of the event, whoever deletes the window meanwhile.
    const Microsoft::WRL::ComPtr<SwfWindowListener> self(this);
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(myDepth);
    // The control's own code is below this call: no exception may pass.
    try {
        return route(dispIdMember, params);
    } catch (const _com_error& error) {
        par::logSevere("SwfWindowListener::Invoke() interrupted with com-error, dispIdMember=" +
                       par::toString(static_cast<int>(dispIdMember)) + "\n" + comErrorText(error));
    } catch (...) {
        par::logSevere("SwfWindowListener::Invoke() interrupted with exception, dispIdMember=" +
                       par::toString(static_cast<int>(dispIdMember)));
    }
    return DISP_E_EXCEPTION;
}

HRESULT SwfWindowListener::route(DISPID dispIdMember, const DISPPARAMS& params)
{
    switch (dispIdMember) {
    case DISPID_FLASH_READYSTATECHANGE:
        onReadyStateChange(params);
        return S_OK;
    case DISPID_FLASH_PROGRESS:
        onProgress(params);
        return S_OK;
    case DISPID_FLASH_FSCOMMAND:
        onFsCommand(stringArgument(params, 1), stringArgument(params, 0));
        return S_OK;
    case DISPID_FLASH_FLASHCALL:
        onFlashCall(stringArgument(params, 0));
        return S_OK;
    default:
        par::logSevere("Unrecognized dispIdMember=" + par::toString(static_cast<int>(dispIdMember)));
        return DISP_E_MEMBERNOTFOUND;
    }
}

void SwfWindowListener::onReadyStateChange(const DISPPARAMS& params)
{
    if (params.cArgs != 1) {
        par::logSevere("Unexpected number of parameters (!=1) passed to OnReadyStateChanged(), n = " +
                       par::toString(static_cast<int>(params.cArgs)) + "\nEvent skipped.");
        return;
    }
    const long state = params.rgvarg[0].lVal;
    SwfWindow* owner = myOwner;
    notifyListeners([&](SwfWindow::Listener* listener) { listener->onReadyStateChange(owner, state); });
}

void SwfWindowListener::onProgress(const DISPPARAMS& params)
{
    if (params.cArgs != 1) {
        par::logSevere("Unexpected number of parameters (!=1) passed to OnProgress(), n = " +
                       par::toString(static_cast<int>(params.cArgs)) + "\nEvent skipped.");
        return;
    }
    const long percent = params.rgvarg[0].lVal;
    SwfWindow* owner = myOwner;
    notifyListeners([&](SwfWindow::Listener* listener) { listener->onProgress(owner, percent); });
}

void SwfWindowListener::onFsCommand(const std::wstring& command, const std::wstring& args)
{
    if (command == L"trace")
        return;
    if (command == L"partrace") {
        onTrace(args);
        return;
    }
    if (command == L"parProgramReady") {
        onParProgramReady();
    } else if (command == L"xmlCommand") {
        onXmlCommand(loadDocument(args));
        return;
    } else if (command == L"xmlCommandEvent") {
        myOwner->getCommandEventManager()->onCommandEvent(loadDocument(args));
        return;
    } else if (command == L"xmlRequest") {
        onXmlRequestText(args);
        return;
    } else if (command == L"xmlResponse") {
        myOwner->onXmlResponse(loadDocument(args));
        return;
    }
    SwfWindow* owner = myOwner;
    notifyListeners([&](SwfWindow::Listener* listener) { listener->onFsCommand(owner, command, args); });
}

void SwfWindowListener::onFlashCall(const std::wstring& request)
{
    const ExternalCall call = myDecoder.decodeCall(request);
    std::wstring answer;
    if (!myHandler->handle(call.name, call.arguments, answer)) {
        SwfWindow* owner = myOwner;
        notifyListeners([&](SwfWindow::Listener* listener) {
            answer = listener->onExternalCall(owner, call.name, call.arguments);
        });
    }
    // A window deleted meanwhile has let the control go.
    if (!myOwner)
        return;
    if (IShockwaveFlash* flash = myOwner->getFlash())
        par::checkResult(flash->SetReturnValue(_bstr_t(answer.c_str())));
}

void SwfWindowListener::onTrace(const std::wstring& args)
{
    logFlashText(args);
}

void SwfWindowListener::onParProgramReady()
{
    myOwner->getInfiniteLoopMonitor()->setEnabled(true);
}

void SwfWindowListener::onXmlCommand(IXMLDOMDocument2Ptr document)
{
    SwfWindow* owner = myOwner;
    notifyListeners([&](SwfWindow::Listener* listener) { listener->onXmlCommand(owner, document); });
}

void SwfWindowListener::onXmlRequestText(const std::wstring& text)
{
    if (text.empty()) {
        par::logSevere("PROGRAM FAILURE, xmlRequest body is empty xml=\"\", response will not be sent");
        return;
    }
    std::wstring body = text;
    if (par::replaceAll(body, L"&nbsp;", L" "))
        par::logSevere("xmlRequest, &nbsp; inside input XML");
    bool loaded = false;
    const IXMLDOMDocument2Ptr request = loadDocument(body, &loaded);
    if (!loaded) {
        par::logSevere("xmlRequest, XML parse failed, async operation will not complete");
        return;
    }
    onXmlRequest(request);
}

void SwfWindowListener::onXmlRequest(IXMLDOMDocument2Ptr request)
{
    IXMLDOMElementPtr requestRoot;
    par::checkResult(request->get_documentElement(&requestRoot));
    const std::string id = par::getXmlAttribute(requestRoot, "id");
    const std::string uin = par::getXmlAttribute(requestRoot, "uin");

    const IXMLDOMDocument2Ptr response = par::createXmlDocument("asyncResponse");
    IXMLDOMElementPtr responseRoot;
    par::checkResult(response->get_documentElement(&responseRoot));
    par::setXmlAttribute(responseRoot, "id", id);
    par::setXmlAttribute(responseRoot, "uin", uin);
    par::setXmlAttribute(responseRoot, "result", "false");

    try {
        if (!handleBuiltInRequest(request, response)) {
            SwfWindow* owner = myOwner;
            notifyListeners([&](SwfWindow::Listener* listener) {
                listener->onXmlRequest(owner, request, response);
            });
            return;
        }
    } catch (const _com_error& error) {
        par::logSevere("SwfWindowListener::onXmlRequest() interrupted with com-error\n" +
                       requestTag(id, uin) + "\n" + comErrorText(error));
    } catch (...) {
        par::logSevere("SwfWindowListener::onXmlRequest() interrupted with exception\n" +
                       requestTag(id, uin) + "\nexception is unknown.");
    }
    if (myOwner)
        myOwner->setXmlVariable("xmlResponse", response);
}

bool SwfWindowListener::handleBuiltInRequest(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response)
{
    const std::string id = par::getXmlAttribute(documentElement(request), "id");
    if (id == "saveXml")
        saveXml(request, response);
    else if (id == "openFileDialog")
        openFileDialog(request, response);
    else
        return false;
    return true;
}

void SwfWindowListener::saveXml(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response)
{
    const IXMLDOMElementPtr root = documentElement(request);
    std::wstring path = par::getXmlAttributeByPath(root, L"path");
    par::replaceAll(path, L"/", L"\\");
    bool autoformat = false;
    par::parseBool(par::getXmlAttributeByPath(root, L"autoformat"), autoformat);
    IXMLDOMNodePtr content;
    par::checkResult(root->get_firstChild(&content));

    bool saved = false;
    if (content && autoformat)
        saved = saveFormatted(content, path);
    else if (content)
        saved = par::writeTextFile(path, xmlOf(content), L"w+, ccs=UTF-8");
    par::setXmlAttribute(documentElement(response), "result", par::toString(saved));
}

void SwfWindowListener::openFileDialog(IXMLDOMDocument2Ptr request, IXMLDOMDocument2Ptr response)
{
    const IXMLDOMElementPtr root = documentElement(request);
    // Pairs of name and mask, each text ended by NUL; the string's own NUL
    // ends the list.
    std::wstring filter;
    if (const IXMLDOMNodePtr filters = par::findNode(root, "filters")) {
        IXMLDOMNodePtr child;
        par::checkResult(filters->get_firstChild(&child));
        while (child) {
            filter += par::getXmlAttributeByPath(child, L"name") + L'\0';
            filter += par::getXmlAttributeByPath(child, L"mask") + L'\0';
            IXMLDOMNodePtr next;
            par::checkResult(child->get_nextSibling(&next));
            child = next;
        }
    }
    DWORD flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (par::getXmlAttributeByPath(root, L"flags/multiselect") == L"true")
        flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;

    std::vector<wchar_t> files(FILE_BUFFER_LENGTH, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = myOwner->getHandle();
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = files.data();
    dialog.nMaxFile = FILE_BUFFER_LENGTH;
    dialog.Flags = flags;
    if (!getOpenFileName(&dialog))
        return;

    const IXMLDOMNodePtr chosen = par::selectNode(documentElement(response), "files", true);
    const std::wstring first = files.data();
    if (dialog.nFileOffset == 0 || files[dialog.nFileOffset - 1] != L'\0') {
        par::setXmlAttributeByPath(par::appendChildElement(chosen, L"file"), L"path", first);
        return;
    }
    // Several files: the folder, then each name, ended by an empty name.
    for (const wchar_t* name = files.data() + first.size() + 1; *name; name += wcslen(name) + 1)
        par::setXmlAttributeByPath(par::appendChildElement(chosen, L"file"), L"path", first + L"\\" + name);
}

} // namespace swfWindow
