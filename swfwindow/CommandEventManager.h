#pragma once

#include "util/XmlUtil.h"

#include <map>
#include <string>
#include <vector>

class SwfWindow;

namespace swfWindow {

// Subscribes native objects to the movie's command events by service id.
// Each subscription gets a number of its own, the uin, which the movie is
// told with an "addListener" command and which its events carry back.
class CommandEventManager {
public:
    // Told of the events of the uin it was filed under; filters by service
    // and event id itself. Never deleted through this interface.
    class Listener {
    public:
        virtual void handleCommandEvent(const std::string& uin, const std::string& serviceId,
                                        const std::string& eventId,
                                        IXMLDOMDocument2Ptr document) = 0;

    protected:
        ~Listener() = default;
    };

    struct ListenerItem {
        Listener* listener;
        std::string serviceId;
        std::string uin;

        // The uin takes no part.
        bool operator==(const ListenerItem& other) const
        {
            return listener == other.listener && serviceId == other.serviceId;
        }
    };

    explicit CommandEventManager(SwfWindow* owner);
    virtual ~CommandEventManager() = default;
    CommandEventManager(const CommandEventManager&) = delete;
    CommandEventManager& operator=(const CommandEventManager&) = delete;

    // Files the listener under a new uin and tells the movie; the attributes
    // of the parameters' root element (may be null) go along as "params".
    void addListener(Listener* listener, const std::string& serviceId,
                     IXMLDOMDocument2Ptr parameters);
    // The event of the FSCommand "xmlCommandEvent".
    void onCommandEvent(IXMLDOMDocument2Ptr document);
    void handleCommandEvent(const std::string& uin, const std::string& serviceId,
                            const std::string& eventId, IXMLDOMDocument2Ptr document);

private:
    SwfWindow* myOwner;
    std::vector<ListenerItem> myItems;
    std::map<std::string, Listener*> myListeners;
};

} // namespace swfWindow
