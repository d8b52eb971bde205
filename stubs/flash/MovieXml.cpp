#include "MovieXml.h"

#include "util/XmlUtil.h"

namespace standin {

namespace {

// The document element of the text, or null when the text is not XML.
IXMLDOMElementPtr parseRoot(const std::wstring& text)
{
    IXMLDOMDocument2Ptr document = par::createXmlDocument();
    // Whitespace between elements must stay visible to be refused.
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    IXMLDOMElementPtr root;
    if (document->loadXML(_bstr_t(text.c_str()), &loaded) != S_OK || loaded != VARIANT_TRUE ||
        document->get_documentElement(&root) != S_OK)
        return nullptr;
    return root;
}

bool hasAttribute(const IXMLDOMElementPtr& element, const wchar_t* name)
{
    IXMLDOMAttributePtr attribute;
    return element->getAttributeNode(_bstr_t(name), &attribute) == S_OK && attribute;
}

// True when no element below the node holds text beside child elements.
bool hasNoMixedContent(const IXMLDOMNodePtr& node)
{
    bool hasElements = false;
    bool hasText = false;
    IXMLDOMNodePtr child;
    node->get_firstChild(&child);
    while (child) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT) {
            hasElements = true;
            if (!hasNoMixedContent(child))
                return false;
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            hasText = true;
        }
        IXMLDOMNodePtr next;
        child->get_nextSibling(&next);
        child = next;
    }
    return !(hasElements && hasText);
}

// The text of an argument element as the movie reads it.
std::wstring argumentText(const IXMLDOMNodePtr& element)
{
    _bstr_t name, text;
    element->get_nodeName(name.GetAddress());
    if (name == _bstr_t(L"true") || name == _bstr_t(L"false"))
        return static_cast<const wchar_t*>(name);
    element->get_text(text.GetAddress());
    return text.length() ? static_cast<const wchar_t*>(text) : std::wstring();
}

} // namespace

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

// No exception may leave the control's COM methods: a failing parser counts
// as a text that does not read.
bool readRequestId(const std::wstring& document, std::wstring& id, bool& hasId)
{
    try {
        const IXMLDOMElementPtr root = parseRoot(document);
        if (!root)
            return false;
        hasId = hasAttribute(root, L"id");
        id = par::getXmlAttributeByPath(root, L"id");
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

bool decodeInvoke(const std::wstring& request, std::wstring& name,
                  std::vector<std::wstring>& arguments)
{
    try {
        const IXMLDOMElementPtr root = parseRoot(request);
        _bstr_t tag;
        if (!root || root->get_tagName(tag.GetAddress()) != S_OK || tag != _bstr_t(L"invoke") ||
            !hasAttribute(root, L"name") || !hasNoMixedContent(root))
            return false;
        name = par::getXmlAttributeByPath(root, L"name");
        arguments.clear();
        IXMLDOMNodePtr child;
        const IXMLDOMNodePtr list = par::findNodeByPath(root, L"arguments");
        if (list)
            list->get_firstChild(&child);
        while (child) {
            DOMNodeType type = NODE_INVALID;
            child->get_nodeType(&type);
            if (type == NODE_ELEMENT)
                arguments.push_back(argumentText(child));
            IXMLDOMNodePtr next;
            child->get_nextSibling(&next);
            child = next;
        }
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

bool readSubscription(const std::wstring& command, std::wstring& serviceId, std::wstring& uin)
{
    try {
        const IXMLDOMElementPtr root = parseRoot(command);
        if (!root || par::getXmlAttributeByPath(root, L"id") != L"addListener")
            return false;
        serviceId = par::getXmlAttributeByPath(root, L"serviceId");
        uin = par::getXmlAttributeByPath(root, L"uin");
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

std::wstring makeRequestResponse(const std::wstring& id, bool hasId)
{
    if (!hasId)
        return L"<asyncResponse/>";
    return L"<asyncResponse id=\"" + escapeXml(id) + L"\"/>";
}

std::wstring makeCommandEvent(const std::wstring& uin, const std::wstring& serviceId,
                              const std::wstring& eventId)
{
    return L"<event uin=\"" + escapeXml(uin) + L"\" serviceId=\"" + escapeXml(serviceId) +
           L"\" eventId=\"" + escapeXml(eventId) + L"\"/>";
}

} // namespace standin
