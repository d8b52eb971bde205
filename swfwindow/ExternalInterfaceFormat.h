#pragma once

#include "util/XmlUtil.h"

#include <string>
#include <vector>

// The ExternalInterface XML format, both directions. Data placed into a
// document is escaped; markup built on purpose for the movie (bounds, file
// lists, response documents) goes between the tags as it is, for the movie
// parses it.
namespace swfWindow {

// "<undefined/>" for the empty text, otherwise a string element holding the
// text escaped.
std::wstring encodeString(const std::wstring& text);
// "<undefined/>" for the empty text, otherwise the markup between
// "<string>" and "</string>" unescaped.
std::wstring encodeMarkup(const std::wstring& markup);

// The encoded string values of the arguments, in order; empty for none.
std::wstring encodeArguments(const wchar_t* const args[], int count);

// The call document of a movie function; without an arguments element when
// the argument text is empty.
std::wstring buildInvokeDocument(const std::wstring& name, const std::wstring& argumentsText);

// A call of the movie as the control reports it.
struct ExternalCall {
    std::wstring name;
    std::vector<std::wstring> arguments;
};

// Decodes the movie's calls and answers into one document, made on first
// use and reused: a new document for every call costs more than all the
// rest of the call. Texts come out exactly as the elements hold them,
// blanks and line breaks included. Each decoding is finished before it
// returns, so calls nested into the movie may use the same decoder.
class ExternalInterfaceDecoder {
public:
    // The root's attribute "name" and one text per element below
    // "arguments": the word of true or false, else the element's text.
    // Characters that XML cannot carry come out as U+FFFD.
    ExternalCall decodeCall(const std::wstring& document);
    // The text of a string or number element ("null" counts as empty), the
    // word of true or false, and the empty text for anything else. Raises
    // E_POINTER when the answer holds no element.
    std::wstring decodeAnswer(const std::wstring& answer);

private:
    // The document element of the text, or null when it does not parse.
    IXMLDOMElementPtr load(const std::wstring& text);

    IXMLDOMDocument2Ptr myDocument;
};

} // namespace swfWindow
