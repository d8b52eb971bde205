#pragma once

#include <string>
#include <vector>

namespace standin {

// The few XML readings the movie makes, through a real parser (MSXML 3.0).

// The root attribute "id" of a request document; false when the text is not
// XML. hasId tells whether the root carries the attribute at all.
bool readRequestId(const std::wstring& document, std::wstring& id, bool& hasId);

// The function name and the arguments of an ExternalInterface call document:
// root "invoke" with the attribute "name". Each child element of "arguments"
// gives one argument: true and false their names, every other element its
// text. False when the text is not such a document, or when an element
// mixes text (whitespace too) with child elements.
bool decodeInvoke(const std::wstring& request, std::wstring& name,
                  std::vector<std::wstring>& arguments);

// The service id and uin of an "addListener" command document (root
// attribute "id" = "addListener"); false for any other text.
bool readSubscription(const std::wstring& command, std::wstring& serviceId, std::wstring& uin);

// The movie's answer to a request: root "asyncResponse" carrying the
// request's id, or no id when the request had none.
std::wstring makeRequestResponse(const std::wstring& id, bool hasId);

// The command event for a subscription: root "event" with "uin",
// "serviceId" and "eventId".
std::wstring makeCommandEvent(const std::wstring& uin, const std::wstring& serviceId,
                              const std::wstring& eventId);

// The text with & < > " ' as entities.
std::wstring escapeXml(const std::wstring& text);

} // namespace standin
