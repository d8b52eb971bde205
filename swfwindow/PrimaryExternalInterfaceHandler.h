#pragma once

#include <string>
#include <vector>

class SwfWindow;

namespace swfWindow {

class ServerConnectionWatcherPool;

// The first answerer of the movie's ExternalInterface calls: the native
// commands built into the host. A name it does not handle goes on to the
// window's listeners. UI thread only.
class PrimaryExternalInterfaceHandler {
public:
    explicit PrimaryExternalInterfaceHandler(SwfWindow* owner);
    virtual ~PrimaryExternalInterfaceHandler();
    PrimaryExternalInterfaceHandler(const PrimaryExternalInterfaceHandler&) = delete;
    PrimaryExternalInterfaceHandler& operator=(const PrimaryExternalInterfaceHandler&) = delete;

    // True when the name is a built-in command, whatever the answer.
    bool handle(const std::wstring& name, std::vector<std::wstring> arguments, std::wstring& answer);
    // The value as a string answer, in place: "<undefined/>" when empty.
    // The value goes in as it is, for answers that are markup; data must be
    // escaped first (par::escapeXmlText).
    static void toReturnValue(std::wstring& answer);

    bool isSwfFile(const std::wstring& path);
    // Appends the names below the folder that match the mask, relative to
    // the folder; recursive searches list a folder's own matches first.
    static bool collectFiles(const std::wstring& folder, const std::wstring& mask, bool recursive,
                             std::vector<std::wstring>& out);
    // The answers below are response documents: "<response/>" on success,
    // otherwise the error code and a message in the movie's own words.
    std::wstring saveAsPng(const std::wstring& source, const std::wstring& target);
    std::wstring createDir(const std::wstring& path);
    std::wstring deleteFile(const std::wstring& path);
    std::wstring openDir(const std::wstring& path);

    ServerConnectionWatcherPool* getWatcherPool() const { return myWatcherPool; }
    // The window went while a command ran: the movie's texts are no longer
    // asked for.
    void detach() { myOwner = nullptr; }

private:
    // The failure document, its message led by the movie's text for the key
    // (none for an empty key).
    std::wstring failure(unsigned long code, const std::wstring& key, const std::wstring& path);
    std::wstring localeString(const std::wstring& key);

    SwfWindow* myOwner;
    ServerConnectionWatcherPool* myWatcherPool;
};

} // namespace swfWindow
