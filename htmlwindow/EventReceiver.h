#pragma once

#include "htmlwindow/UrlUtil.h"

#include <string>

// Receives the "app://" requests of the pages in an HtmlWindow: the request
// name (the path of the link) and its parameters. A non-empty response
// replaces the page.
class EventReceiver {
public:
    virtual void onEvent(const std::wstring& name, std::wstring& response,
                         const htmlWindow::RequestParameters& parameters) = 0;

protected:
    // The window does not own its receiver.
    ~EventReceiver() = default;
};
