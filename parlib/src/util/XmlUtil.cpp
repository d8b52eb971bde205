#include "util/XmlUtil.h"

#include "util/ComUtil.h"
#include "util/StringUtil.h"

#include <wrl/client.h>

#include <algorithm>
#include <utility>

// MinGW's import libraries lack these two identifiers.
extern "C" {
const CLSID CLSID_DOMDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
const IID IID_IXMLDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
}

namespace par {

using Microsoft::WRL::ComPtr;

namespace {

// The declaration is left out of the output because the copy takes over the
// source's own declaration node; with both, Wine's MSXML gives no result.
const char IDENTITY_STYLESHEET[] =
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"xml\" indent=\"yes\" encoding=\"UTF-8\" omit-xml-declaration=\"yes\"/>"
    "<xsl:template match=\"@* | node()\">"
    "<xsl:copy><xsl:apply-templates select=\"@* | node()\"/></xsl:copy>"
    "</xsl:template>"
    "</xsl:stylesheet>";

struct AttributePath {
    std::wstring elementPath;
    std::wstring name;
};

// Splits at the last "/": a path without one names an attribute of the node itself.
AttributePath splitAttributePath(const std::wstring& path)
{
    const std::wstring::size_type slash = path.rfind(L'/');
    if (slash == std::wstring::npos)
        return {L"", path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// The document class's factory, asked for once per thread and COM
// initialisation: CoCreateInstance looks the class up in the registry for
// every document (a dozen wineserver round trips each under Wine), and the
// hang monitor's pings alone make three documents every two seconds. As a
// spy on the thread's COM initialisation it lets the factory go before the
// thread's last CoUninitialize ends the apartment that handed it out (the
// module it lives in may go with the apartment), and leaves at the end of
// that call.
//
// The spy revokes itself in PostUninitialize, the last callback of that
// call, and the thread keeps its own reference to it until a later document
// needs a new factory or the thread ends. A revoke made inside a callback
// may take effect only when the outermost CoInitialize or CoUninitialize
// returns, so COM may call the spy until then even after dropping its own
// reference; the thread's reference outlives that call.
class DocumentFactory final : public IInitializeSpy {
public:
    static HRESULT createDocument(IXMLDOMDocument2** document)
    {
        if (!ourThreadFactory || !ourThreadFactory->myClassFactory) {
            ComPtr<IClassFactory> classFactory;
            const HRESULT found = CoGetClassObject(CLSID_DOMDocument30, CLSCTX_ALL, nullptr, IID_IClassFactory,
                                                   reinterpret_cast<void**>(classFactory.GetAddressOf()));
            if (FAILED(found))
                return found;
            // A spy that is leaving (a document asked for while the apartment
            // ends) keeps the thread's reference until it has left, and
            // without a spy nothing would let the factory go in time: the
            // factory then serves this one document only.
            if (ourThreadFactory && ourThreadFactory->myLeaving)
                return createFrom(classFactory.Get(), document);
            ComPtr<DocumentFactory> factory;
            factory.Attach(new DocumentFactory(classFactory));
            if (FAILED(CoRegisterInitializeSpy(factory.Get(), &factory->myCookie)))
                return createFrom(classFactory.Get(), document);
            // A spy that has left is let go here: the call it left in has returned.
            ourThreadFactory = factory;
        }
        return createFrom(ourThreadFactory->myClassFactory.Get(), document);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id != IID_IUnknown && id != IID_IInitializeSpy) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IInitializeSpy*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&myReferences)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG references = InterlockedDecrement(&myReferences);
        if (references == 0)
            delete this;
        return static_cast<ULONG>(references);
    }

    HRESULT STDMETHODCALLTYPE PreInitialize(DWORD, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
    // Nested initialisations count down to 1 before the call that ends the apartment.
    HRESULT STDMETHODCALLTYPE PreUninitialize(DWORD initializations) override
    {
        if (initializations == 1 && myClassFactory) {
            myClassFactory.Reset();
            myLeaving = true;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostUninitialize(DWORD) override
    {
        if (myLeaving) {
            myLeaving = false;
            CoRevokeInitializeSpy(myCookie);
        }
        return S_OK;
    }

private:
    explicit DocumentFactory(ComPtr<IClassFactory> classFactory) : myClassFactory(std::move(classFactory)) {}
    ~DocumentFactory() = default;

    static HRESULT createFrom(IClassFactory* classFactory, IXMLDOMDocument2** document)
    {
        return classFactory->CreateInstance(nullptr, IID_IXMLDOMDocument2, reinterpret_cast<void**>(document));
    }

    static thread_local ComPtr<DocumentFactory> ourThreadFactory;

    LONG myReferences = 1;
    ULARGE_INTEGER myCookie = {};
    ComPtr<IClassFactory> myClassFactory;
    bool myLeaving = false;
};

thread_local ComPtr<DocumentFactory> DocumentFactory::ourThreadFactory;

} // namespace

IXMLDOMDocument2Ptr createXmlDocument(const std::string& rootName)
{
    IXMLDOMDocument2* created = nullptr;
    checkResult(DocumentFactory::createDocument(&created));
    // The pointer takes the reference over.
    IXMLDOMDocument2Ptr document(created, false);
    checkResult(document->put_async(VARIANT_FALSE));
    checkResult(document->put_validateOnParse(VARIANT_FALSE));
    checkResult(document->put_resolveExternals(VARIANT_FALSE));
    if (!rootName.empty())
        appendChildElement(document, toWide(rootName));
    return document;
}

IXMLDOMNodePtr selectNodeByPath(const IXMLDOMNodePtr& node, const std::wstring& path, bool create)
{
    IXMLDOMNodePtr current = node;
    std::wstring::size_type start = 0;
    while (current && start <= path.size()) {
        std::wstring::size_type end = path.find(L'/', start);
        if (end == std::wstring::npos)
            end = path.size();
        const std::wstring name = path.substr(start, end - start);
        start = end + 1;
        // An empty query would be no valid pattern (and crashes Wine's MSXML).
        if (name.empty())
            continue;

        IXMLDOMNodePtr child;
        checkResult(current->selectSingleNode(_bstr_t((L"./" + name).c_str()), &child));
        if (!child) {
            if (!create)
                return nullptr;
            child = appendChildElement(current, name);
        }
        current = child;
    }
    return current;
}

IXMLDOMNodePtr selectNode(const IXMLDOMNodePtr& node, const std::string& path, bool create)
{
    return selectNodeByPath(node, toWide(path), create);
}

IXMLDOMNodePtr findNodeByPath(const IXMLDOMNodePtr& node, const std::wstring& path)
{
    return selectNodeByPath(node, path, false);
}

IXMLDOMNodePtr findNode(const IXMLDOMNodePtr& node, const std::string& path)
{
    return selectNodeByPath(node, toWide(path), false);
}

IXMLDOMElementPtr appendChildElement(const IXMLDOMNodePtr& parent, const std::wstring& name)
{
    IXMLDOMDocumentPtr owner;
    checkResult(parent->get_ownerDocument(&owner));
    // A document has no owner document: it makes its elements itself.
    if (!owner)
        owner = parent;
    IXMLDOMElementPtr element;
    checkResult(owner->createElement(_bstr_t(name.c_str()), &element));
    IXMLDOMNodePtr appended;
    checkResult(parent->appendChild(element, &appended));
    return element;
}

std::wstring getXmlAttributeByPath(const IXMLDOMNodePtr& node, const std::wstring& path)
{
    const AttributePath attributePath = splitAttributePath(path);
    const IXMLDOMElementPtr element = findNodeByPath(node, attributePath.elementPath);
    if (!element || attributePath.name.empty())
        return L"";
    _variant_t value;
    checkResult(element->getAttribute(_bstr_t(attributePath.name.c_str()), &value));
    if (value.vt != VT_BSTR)
        return L"";
    return bstrToWide(value.bstrVal);
}

std::string getXmlAttribute(const IXMLDOMNodePtr& node, const std::string& path)
{
    return toNarrow(getXmlAttributeByPath(node, toWide(path)));
}

namespace {

std::wstring escaped(const std::wstring& text, bool attribute)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case L'\r': out += L"&#13;"; break;
        case L'"': out += attribute ? L"&quot;" : L"\""; break;
        default: out += c;
        }
    }
    return out;
}

const wchar_t REPLACEMENT_CHARACTER = 0xFFFD;
const unsigned long LAST_CODE_POINT = 0x10FFFF;

bool isXmlCharacter(unsigned long code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= LAST_CODE_POINT);
}

int digitValue(wchar_t c, unsigned long base)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (base == 16 && c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (base == 16 && c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// The length of the character reference ("&#" digits ";" or "&#x" hex
// digits ";") that starts at the position, its code point in code (past
// the last code point when larger); 0 when none starts there.
size_t characterReference(const std::wstring& text, size_t at, unsigned long& code)
{
    if (text.compare(at, 2, L"&#") != 0)
        return 0;
    size_t i = at + 2;
    const unsigned long base = i < text.size() && text[i] == L'x' ? 16 : 10;
    if (base == 16)
        ++i;
    const size_t digits = i;
    code = 0;
    for (int value = 0; i < text.size() && (value = digitValue(text[i], base)) >= 0; ++i)
        code = std::min(code * base + static_cast<unsigned long>(value), LAST_CODE_POINT + 1);
    if (i == digits || i == text.size() || text[i] != L';')
        return 0;
    return i + 1 - at;
}

bool isSurrogatePair(const std::wstring& text, size_t at)
{
    return at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF && text[at + 1] >= 0xDC00
        && text[at + 1] <= 0xDFFF;
}

} // namespace

std::wstring withXmlCharactersOnly(const std::wstring& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = 0;
        const size_t reference = text[i] == L'&' ? characterReference(text, i, code) : 0;
        if (reference > 0 && !isXmlCharacter(code)) {
            out += REPLACEMENT_CHARACTER;
            i += reference - 1;
        } else if (isSurrogatePair(text, i)) {
            out += text[i];
            out += text[++i];
        } else {
            out += isXmlCharacter(static_cast<unsigned long>(text[i])) ? text[i] : REPLACEMENT_CHARACTER;
        }
    }
    return out;
}

std::wstring escapeXmlText(const std::wstring& text)
{
    return escaped(text, false);
}

std::wstring escapeXmlAttribute(const std::wstring& text)
{
    return escaped(text, true);
}

std::string bstrToString(BSTR text)
{
    return toNarrow(bstrToWide(text));
}

IXMLDOMAttributePtr setXmlAttributeByPath(const IXMLDOMNodePtr& node, const std::wstring& path,
                                          const std::wstring& value)
{
    const AttributePath attributePath = splitAttributePath(path);
    const IXMLDOMElementPtr element = findNodeByPath(node, attributePath.elementPath);
    if (!element)
        return nullptr;
    IXMLDOMDocumentPtr owner;
    checkResult(element->get_ownerDocument(&owner));
    IXMLDOMAttributePtr attribute;
    checkResult(owner->createAttribute(_bstr_t(attributePath.name.c_str()), &attribute));
    checkResult(attribute->put_value(_variant_t(value.c_str())));
    IXMLDOMAttributePtr replaced;
    checkResult(element->setAttributeNode(attribute, &replaced));
    return attribute;
}

IXMLDOMAttributePtr setXmlAttribute(const IXMLDOMNodePtr& node, const std::string& path,
                                    const std::string& value)
{
    return setXmlAttributeByPath(node, toWide(path), toWide(value));
}

IXMLDOMDocument2Ptr formatXmlDocument(const IXMLDOMDocument2Ptr& document)
{
    IXMLDOMDocument2Ptr formatted = createXmlDocument();
    // The indentation arrives as text nodes, which a saved copy must keep.
    checkResult(formatted->put_preserveWhiteSpace(VARIANT_TRUE));
    const IXMLDOMDocument2Ptr stylesheet = createIdentityStylesheet();
    checkResult(document->transformNodeToObject(stylesheet, _variant_t(static_cast<IDispatch*>(formatted))));

    // MSXML may report success and leave the result empty: an empty copy of
    // a document that has content must not pass for its formatted form.
    IXMLDOMElementPtr sourceRoot;
    IXMLDOMElementPtr formattedRoot;
    checkResult(document->get_documentElement(&sourceRoot));
    checkResult(formatted->get_documentElement(&formattedRoot));
    if (sourceRoot && !formattedRoot)
        _com_issue_error(E_FAIL);
    return formatted;
}

IXMLDOMDocument2Ptr createIdentityStylesheet()
{
    IXMLDOMDocument2Ptr stylesheet = createXmlDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    checkResult(stylesheet->loadXML(_bstr_t(toWide(IDENTITY_STYLESHEET).c_str()), &loaded));
    if (loaded != VARIANT_TRUE)
        _com_issue_error(E_FAIL);
    return stylesheet;
}

} // namespace par
