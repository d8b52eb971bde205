#pragma once

#include "util/XmlUtil.h"

#include <string>
#include <vector>

// The ExternalInterface XML format, both directions. Texts are written
// between the tags as they are, without escaping: the movie relies on it.
namespace swfWindow {

// "<undefined/>" for the empty text, otherwise "<string>" text "</string>".
std::wstring encodeValue(const std::wstring& text);

// The encoded values of the arguments, in order; empty for none.
std::wstring encodeArguments(const wchar_t* const args[], int count);

// The call document of a movie function; without an arguments element when
// the argument text is empty.
std::wstring buildInvokeDocument(const std::wstring& name, const std::wstring& argumentsText);

// The value of a movie's answer element: the text of a string or number
// element ("null" counts as empty), the word of true or false, and the
// empty text for anything else.
std::wstring decodeAnswer(const IXMLDOMElementPtr& root);

// A call of the movie as the control reports it.
struct ExternalCall {
    std::wstring name;
    std::vector<std::wstring> arguments;
};

// Reads the root's attribute "name" and one text per element below
// "arguments": the word of true or false, else the element's text content.
ExternalCall decodeExternalCall(const std::wstring& document);

} // namespace swfWindow
