#include "swfwindow/ExternalInterfaceFormat.h"

namespace swfWindow {

namespace {

void check(HRESULT result)
{
    if (FAILED(result))
        _com_issue_error(result);
}

std::wstring toWString(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::wstring nodeName(const IXMLDOMNodePtr& node)
{
    BSTR name = nullptr;
    check(node->get_nodeName(&name));
    const std::wstring text = toWString(name);
    SysFreeString(name);
    return text;
}

std::wstring nodeText(const IXMLDOMNodePtr& node)
{
    BSTR text = nullptr;
    check(node->get_text(&text));
    const std::wstring result = toWString(text);
    SysFreeString(text);
    return result;
}

} // namespace

std::wstring encodeValue(const std::wstring& text)
{
    if (text.empty())
        return L"<undefined/>";
    return L"<string>" + text + L"</string>";
}

std::wstring encodeArguments(const wchar_t* const args[], int count)
{
    std::wstring text;
    for (int i = 0; i < count; ++i)
        text += encodeValue(args[i] ? args[i] : L"");
    return text;
}

std::wstring buildInvokeDocument(const std::wstring& name, const std::wstring& argumentsText)
{
    std::wstring document = L"<invoke name=\"" + name + L"\" returntype=\"string\">";
    if (!argumentsText.empty())
        document += L"<arguments>" + argumentsText + L"</arguments>";
    return document + L"</invoke>";
}

std::wstring decodeAnswer(const IXMLDOMElementPtr& root)
{
    const std::wstring name = nodeName(root);
    if (name == L"string" || name == L"number") {
        const std::wstring text = nodeText(root);
        return text == L"null" ? std::wstring() : text;
    }
    if (name == L"true" || name == L"false")
        return name;
    return std::wstring();
}

ExternalCall decodeExternalCall(const std::wstring& document)
{
    ExternalCall call;
    IXMLDOMDocument2Ptr xml = par::createXmlDocument();
    // A text that does not parse leaves the document empty: a call without a name.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    xml->loadXML(_bstr_t(document.c_str()), &loaded);
    IXMLDOMElementPtr root;
    check(xml->get_documentElement(&root));
    if (!root)
        return call;
    call.name = par::getXmlAttributeByPath(root, L"name");

    const IXMLDOMNodePtr arguments = par::findNode(root, "arguments");
    if (!arguments)
        return call;
    IXMLDOMNodePtr child;
    check(arguments->get_firstChild(&child));
    while (child) {
        DOMNodeType type = NODE_INVALID;
        check(child->get_nodeType(&type));
        if (type == NODE_ELEMENT) {
            const std::wstring name = nodeName(child);
            call.arguments.push_back(name == L"true" || name == L"false" ? name : nodeText(child));
        }
        IXMLDOMNodePtr next;
        check(child->get_nextSibling(&next));
        child = next;
    }
    return call;
}

} // namespace swfWindow
