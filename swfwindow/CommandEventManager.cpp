#include "swfwindow/CommandEventManager.h"

#include "swfwindow/SwfWindow.h"

#include "util/ComUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <algorithm>

namespace swfWindow {

namespace {

// Shared by every manager, so that uins are unique in the process.
int theNextUin = 0;

// Copies names and values in index order, replacing attributes of the same
// name. The copies are made by the destination's own document: Wine's MSXML
// breaks when a node of one document is put into another.
void copyXmlAttributes(const IXMLDOMElementPtr& source, const IXMLDOMElementPtr& destination)
{
    if (!source)
        return;
    IXMLDOMNamedNodeMapPtr attributes;
    par::checkResult(source->get_attributes(&attributes));
    long count = 0;
    par::checkResult(attributes->get_length(&count));
    for (long i = 0; i < count; ++i) {
        IXMLDOMNodePtr attribute;
        par::checkResult(attributes->get_item(i, &attribute));
        BSTR name = nullptr;
        par::checkResult(attribute->get_nodeName(&name));
        const _bstr_t ownedName(name, false);
        _variant_t value;
        par::checkResult(attribute->get_nodeValue(&value));
        par::checkResult(destination->setAttribute(ownedName, value));
    }
}

} // namespace

CommandEventManager::CommandEventManager(SwfWindow* owner) : myOwner(owner)
{
}

void CommandEventManager::addListener(Listener* listener, const std::string& serviceId,
                                      IXMLDOMDocument2Ptr parameters)
{
    if (serviceId.empty()) {
        par::logSevere("CommandEventManager::addListener(), serviceId is missing");
        return;
    }
    ListenerItem item{listener, serviceId, ""};
    if (std::find(myItems.begin(), myItems.end(), item) != myItems.end()) {
        par::logSevere("CommandEventManager::addListener(), the listener is already installed, serviceId=" +
                       serviceId);
        return;
    }
    item.uin = par::toString(theNextUin++);
    myItems.push_back(item);
    myListeners[item.uin] = listener;

    IXMLDOMDocument2Ptr command = par::createXmlDocument("root");
    IXMLDOMElementPtr root;
    par::checkResult(command->get_documentElement(&root));
    par::setXmlAttribute(root, "id", "addListener");
    par::setXmlAttribute(root, "serviceId", serviceId);
    par::setXmlAttribute(root, "uin", item.uin);
    if (parameters) {
        const IXMLDOMNodePtr params = par::selectNode(root, "params", true);
        IXMLDOMElementPtr parametersRoot;
        par::checkResult(parameters->get_documentElement(&parametersRoot));
        copyXmlAttributes(parametersRoot, params);
    }
    myOwner->sendXmlCommand(command);
}

void CommandEventManager::onCommandEvent(IXMLDOMDocument2Ptr document)
{
    IXMLDOMElementPtr root;
    par::checkResult(document->get_documentElement(&root));
    const std::string uin = par::getXmlAttribute(root, "uin");
    const std::string serviceId = par::getXmlAttribute(root, "serviceId");
    const std::string eventId = par::getXmlAttribute(root, "eventId");
    handleCommandEvent(uin, serviceId, eventId, document);
}

void CommandEventManager::handleCommandEvent(const std::string& uin, const std::string& serviceId,
                                             const std::string& eventId,
                                             IXMLDOMDocument2Ptr document)
{
    const auto found = myListeners.find(uin);
    if (found == myListeners.end() || !found->second) {
        par::logSevere("CommandEventManager::handleCommandEvent(), listener not found, the event is skipped, , uin=" +
                       uin + ", serviceId=" + serviceId);
        return;
    }
    found->second->handleCommandEvent(uin, serviceId, eventId, document);
}

} // namespace swfWindow
