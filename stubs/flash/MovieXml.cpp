#include "MovieXml.h"

#include "Bstr.h"

#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace standin {

namespace {

// Missing from MinGW's import libraries.
const CLSID kClsidDomDocument30 =
    {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};

// The root element of the parsed text, or null when it is not XML.
ComPtr<IXMLDOMElement> parseRoot(const std::wstring& text)
{
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(kClsidDomDocument30, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(document.GetAddressOf()))))
        return nullptr;
    document->put_async(VARIANT_FALSE);
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    Bstr source(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ComPtr<IXMLDOMElement> root;
    if (document->loadXML(source.get(), &loaded) != S_OK || loaded != VARIANT_TRUE ||
        document->get_documentElement(root.GetAddressOf()) != S_OK)
        return nullptr;
    return root;
}

bool readAttribute(IXMLDOMElement* element, const wchar_t* name, std::wstring& value)
{
    Bstr attributeName(name);
    VARIANT attribute;
    VariantInit(&attribute);
    if (element->getAttribute(attributeName.get(), &attribute) != S_OK ||
        attribute.vt != VT_BSTR) {
        VariantClear(&attribute);
        return false;
    }
    value.assign(attribute.bstrVal, SysStringLen(attribute.bstrVal));
    VariantClear(&attribute);
    return true;
}

// True when no element below the node holds text beside child elements.
bool hasNoMixedContent(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMNodeList> children;
    long count = 0;
    if (FAILED(node->get_childNodes(children.GetAddressOf())) || FAILED(children->get_length(&count)))
        return false;
    bool hasElements = false;
    bool hasText = false;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> child;
        DOMNodeType type = NODE_INVALID;
        if (FAILED(children->get_item(i, child.GetAddressOf())) || FAILED(child->get_nodeType(&type)))
            return false;
        if (type == NODE_ELEMENT) {
            hasElements = true;
            if (!hasNoMixedContent(child.Get()))
                return false;
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            hasText = true;
        }
    }
    return !(hasElements && hasText);
}

std::wstring escapeXml(const std::wstring& text)
{
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'"': escaped += L"&quot;"; break;
        case L'\'': escaped += L"&apos;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace

bool readRequestId(const std::wstring& document, std::wstring& id, bool& hasId)
{
    ComPtr<IXMLDOMElement> root = parseRoot(document);
    if (!root)
        return false;
    id.clear();
    hasId = readAttribute(root.Get(), L"id", id);
    return true;
}

bool decodeInvokeName(const std::wstring& request, std::wstring& name)
{
    ComPtr<IXMLDOMElement> root = parseRoot(request);
    if (!root)
        return false;
    Bstr tag;
    if (root->get_tagName(tag.out()) != S_OK || tag.text() != L"invoke")
        return false;
    return readAttribute(root.Get(), L"name", name) && hasNoMixedContent(root.Get());
}

std::wstring makeRequestResponse(const std::wstring& id, bool hasId)
{
    if (!hasId)
        return L"<asyncResponse/>";
    return L"<asyncResponse id=\"" + escapeXml(id) + L"\"/>";
}

} // namespace standin
