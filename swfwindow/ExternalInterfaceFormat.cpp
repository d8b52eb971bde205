#include "swfwindow/ExternalInterfaceFormat.h"

#include "util/ComUtil.h"

namespace swfWindow {

namespace {

std::wstring nodeName(const IXMLDOMNodePtr& node)
{
    BSTR name = nullptr;
    par::checkResult(node->get_nodeName(&name));
    const _bstr_t owned(name, false);
    return par::bstrToWide(name);
}

// The concatenated text of the node's descendants, exactly: MSXML's own
// text property trims the blanks at both ends.
void appendText(const IXMLDOMNodePtr& node, std::wstring& text)
{
    IXMLDOMNodePtr child;
    par::checkResult(node->get_firstChild(&child));
    while (child) {
        DOMNodeType type = NODE_INVALID;
        par::checkResult(child->get_nodeType(&type));
        if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
            _variant_t value;
            par::checkResult(child->get_nodeValue(&value));
            if (value.vt == VT_BSTR)
                text += par::bstrToWide(value.bstrVal);
        } else if (type == NODE_ELEMENT) {
            appendText(child, text);
        }
        IXMLDOMNodePtr next;
        par::checkResult(child->get_nextSibling(&next));
        child = next;
    }
}

std::wstring elementText(const IXMLDOMNodePtr& node)
{
    std::wstring text;
    appendText(node, text);
    return text;
}

// The first child element of the name, without an XPath query.
IXMLDOMNodePtr childElement(const IXMLDOMNodePtr& node, const wchar_t* name)
{
    IXMLDOMNodePtr child;
    par::checkResult(node->get_firstChild(&child));
    while (child) {
        DOMNodeType type = NODE_INVALID;
        par::checkResult(child->get_nodeType(&type));
        if (type == NODE_ELEMENT && nodeName(child) == name)
            return child;
        IXMLDOMNodePtr next;
        par::checkResult(child->get_nextSibling(&next));
        child = next;
    }
    return nullptr;
}

} // namespace

std::wstring encodeString(const std::wstring& text)
{
    return encodeMarkup(par::escapeXmlText(text));
}

std::wstring encodeMarkup(const std::wstring& markup)
{
    if (markup.empty())
        return L"<undefined/>";
    return L"<string>" + markup + L"</string>";
}

std::wstring encodeArguments(const wchar_t* const args[], int count)
{
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += encodeString(args[i] ? args[i] : L"");
    return text;
}

std::wstring buildInvokeDocument(const std::wstring& name, const std::wstring& argumentsText)
{
    std::wstring document = L"<invoke name=\"" + par::escapeXmlAttribute(name) + L"\" returntype=\"string\">";
    if (!argumentsText.empty())
        document += L"<arguments>" + argumentsText + L"</arguments>";
    return document + L"</invoke>";
}

IXMLDOMElementPtr ExternalInterfaceDecoder::load(const std::wstring& text)
{
    if (!myDocument) {
        IXMLDOMDocument2Ptr document = par::createXmlDocument();
        // Blanks-only texts are content here, not layout.
        par::checkResult(document->put_preserveWhiteSpace(VARIANT_TRUE));
        myDocument = document;
    }
    // A text that does not parse leaves the document without an element.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    myDocument->loadXML(_bstr_t(text.c_str()), &loaded);
    IXMLDOMElementPtr root;
    myDocument->get_documentElement(&root);
    return root;
}

ExternalCall ExternalInterfaceDecoder::decodeCall(const std::wstring& document)
{
    ExternalCall call;
    // A character that XML cannot carry would leave the call without a name,
    // and so without an answer.
    const IXMLDOMElementPtr root = load(par::withXmlCharactersOnly(document));
    if (!root)
        return call;
    _variant_t name;
    par::checkResult(root->getAttribute(_bstr_t(L"name"), &name));
    if (name.vt == VT_BSTR)
        call.name = par::bstrToWide(name.bstrVal);

    const IXMLDOMNodePtr arguments = childElement(root, L"arguments");
    if (!arguments)
        return call;
    IXMLDOMNodePtr child;
    par::checkResult(arguments->get_firstChild(&child));
    while (child) {
        DOMNodeType type = NODE_INVALID;
        par::checkResult(child->get_nodeType(&type));
        if (type == NODE_ELEMENT) {
            const std::wstring kind = nodeName(child);
            call.arguments.push_back(kind == L"true" || kind == L"false" ? kind : elementText(child));
        }
        IXMLDOMNodePtr next;
        par::checkResult(child->get_nextSibling(&next));
        child = next;
    }
    return call;
}

std::wstring ExternalInterfaceDecoder::decodeAnswer(const std::wstring& answer)
{
    const IXMLDOMElementPtr root = load(answer);
    if (!root)
        _com_issue_error(E_POINTER);
    const std::wstring kind = nodeName(root);
    if (kind == L"string" || kind == L"number") {
        const std::wstring text = elementText(root);
        return text == L"null" ? std::wstring() : text;
    }
    if (kind == L"true" || kind == L"false")
        return kind;
    return std::wstring();
}

} // namespace swfWindow
