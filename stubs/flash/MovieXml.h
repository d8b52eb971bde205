#pragma once

#include <string>

namespace standin {

// The few XML readings the movie makes, through a real parser (MSXML 3.0).

// The root attribute "id" of a request document; false when the text is not
// XML. hasId tells whether the root carries the attribute at all.
bool readRequestId(const std::wstring& document, std::wstring& id, bool& hasId);

// The function name of an ExternalInterface call document: root "invoke"
// with the attribute "name". False when the text is not such a document, or
// when an element mixes text (whitespace too) with child elements.
bool decodeInvokeName(const std::wstring& request, std::wstring& name);

// The movie's answer to a request: root "asyncResponse" carrying the
// request's id, or no id when the request had none.
std::wstring makeRequestResponse(const std::wstring& id, bool hasId);

} // namespace standin
