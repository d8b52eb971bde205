#pragma once

#include <windows.h>
#include <msxml2.h>
#include <comdef.h>

#include <string>

// Reference-counting pointers to the MSXML interfaces. MinGW defines none
// for them (it has no __uuidof of its own), so they are declared here.
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument, IID_IXMLDOMDocument);
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument2, IID_IXMLDOMDocument2);
_COM_SMARTPTR_TYPEDEF(IXMLDOMNode, IID_IXMLDOMNode);
_COM_SMARTPTR_TYPEDEF(IXMLDOMElement, IID_IXMLDOMElement);
_COM_SMARTPTR_TYPEDEF(IXMLDOMAttribute, IID_IXMLDOMAttribute);
_COM_SMARTPTR_TYPEDEF(IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap);

// Helpers over MSXML 3.0 documents. A failing COM call throws _com_error;
// a missing element or attribute is no failure (null or the empty text).
// Paths are element names separated by "/", relative to the given node; in
// the attribute functions the last name is the attribute's. Empty names in
// a path are skipped, so the empty path names the node itself.
namespace par {

// A new document that loads synchronously and resolves nothing external;
// with a root name, it has a document element of that name.
IXMLDOMDocument2Ptr createXmlDocument(const std::string& rootName = "");

// The first child element of each name in turn; with create, a missing one
// is appended, otherwise a missing one gives null. A null node gives null.
IXMLDOMNodePtr selectNodeByPath(const IXMLDOMNodePtr& node, const std::wstring& path, bool create);
IXMLDOMNodePtr selectNode(const IXMLDOMNodePtr& node, const std::string& path, bool create);
IXMLDOMNodePtr findNodeByPath(const IXMLDOMNodePtr& node, const std::wstring& path);
IXMLDOMNodePtr findNode(const IXMLDOMNodePtr& node, const std::string& path);

// Appends a new element to the parent (an element or a document).
IXMLDOMElementPtr appendChildElement(const IXMLDOMNodePtr& parent, const std::wstring& name);

std::wstring getXmlAttributeByPath(const IXMLDOMNodePtr& node, const std::wstring& path);
std::string getXmlAttribute(const IXMLDOMNodePtr& node, const std::string& path);

// The text as element content: "&", "<" and ">" as entities, and CR as a
// character reference so that the parser does not turn it into a line feed.
std::wstring escapeXmlText(const std::wstring& text);
// The text as an attribute value between double quotes: as escapeXmlText,
// and the double quote as an entity too.
std::wstring escapeXmlAttribute(const std::wstring& text);

// The text with every character that XML 1.0 cannot carry, raw or as a
// character reference, replaced by U+FFFD, so that a document spoilt only
// by such characters loads.
std::wstring withXmlCharactersOnly(const std::wstring& text);

// The text converted character by character; empty for a null BSTR.
std::string bstrToString(BSTR text);

// Sets the attribute, replacing one of the same name, and returns it; a
// missing element is not created and gives null.
IXMLDOMAttributePtr setXmlAttributeByPath(const IXMLDOMNodePtr& node, const std::wstring& path,
                                          const std::wstring& value);
IXMLDOMAttributePtr setXmlAttribute(const IXMLDOMNodePtr& node, const std::string& path,
                                    const std::string& value);

// An indented copy of the document.
IXMLDOMDocument2Ptr formatXmlDocument(const IXMLDOMDocument2Ptr& document);
// The XSLT stylesheet that copies a document with indentation.
IXMLDOMDocument2Ptr createIdentityStylesheet();

} // namespace par
