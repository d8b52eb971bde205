#pragma once

#include <map>
#include <string>

namespace htmlWindow {

// Request parameters by key, each key with the first value it was given.
typedef std::map<std::string, std::string> RequestParameters;

// Splits "scheme://rest" at its first ':'. Without "//" after that ':' the
// rest is the whole text, the scheme is left as it was and the result false.
bool splitSchemeUrl(const std::string& url, std::string& scheme, std::string& rest);

// Splits a page request such as "say?text=a+b%21" into its path and its
// parameters, whose values are decoded ('+' as a blank, "%XX" escapes). A
// trailing line end or '/' and a trailing " HTTP/1.x" are dropped first.
void parseRequestUrl(std::string text, std::string& path, RequestParameters& parameters);

} // namespace htmlWindow
