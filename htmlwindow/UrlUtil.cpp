#include "htmlwindow/UrlUtil.h"

#include <cstddef>

namespace htmlWindow {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string decodeValue(const std::string& value)
{
    std::string decoded;
    decoded.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '+') {
            decoded += ' ';
        } else if (c == '%' && i + 2 < value.size() && hexValue(value[i + 1]) >= 0
                   && hexValue(value[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(value[i + 1]) * 16 + hexValue(value[i + 2]));
            i += 2;
        } else {
            decoded += c;
        }
    }
    return decoded;
}

void dropRequestEnding(std::string& text)
{
    if (!text.empty() && (isLineEnd(text.back()) || text.back() == '/'))
        text.pop_back();
    if (!text.empty() && isLineEnd(text.back()))
        text.pop_back();

    // A request line ends in " HTTP/1.x".
    static const std::string version = "HTTP/1.";
    if (text.size() > version.size()
        && text.compare(text.size() - version.size() - 1, version.size(), version) == 0)
        text.erase(text.size() < 9 ? 0 : text.size() - 9);
}

} // namespace

bool splitSchemeUrl(const std::string& url, std::string& scheme, std::string& rest)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string::npos || url.compare(colon + 1, 2, "//") != 0) {
        rest = url;
        return false;
    }
    scheme = url.substr(0, colon);
    rest = url.substr(colon + 3);
    return true;
}

void parseRequestUrl(std::string text, std::string& path, RequestParameters& parameters)
{
    dropRequestEnding(text);
    parameters.clear();

    const std::size_t question = text.find('?');
    path = text.substr(0, question);
    if (question == std::string::npos)
        return;

    const std::string query = text.substr(question + 1);
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            const std::size_t equals = pair.find('=');
            const std::string key = pair.substr(0, equals);
            const std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
            parameters.insert(RequestParameters::value_type(key, decodeValue(value)));
        }
        start = end + 1;
    }
}

} // namespace htmlWindow
