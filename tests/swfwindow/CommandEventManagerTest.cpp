#include "SwfWindowTestBase.h"

#include "swfwindow/CommandEventManager.h"

#include "LogCapture.h"

#include "util/StringUtil.h"

namespace {

class RecordingCommandListener : public swfWindow::CommandEventManager::Listener {
public:
    void handleCommandEvent(const std::string& uin, const std::string& serviceId,
                            const std::string& eventId, IXMLDOMDocument2Ptr document) override
    {
        events.push_back(uin + "|" + serviceId + "|" + eventId + "|" + par::toNarrow(test::xmlText(document)));
    }
    std::vector<std::string> events;
};

class CommandEventManagerTest : public test::SwfWindowTestBase {
protected:
    swfWindow::CommandEventManager& manager() { return *window->getCommandEventManager(); }

    // The "addListener" commands the movie received, without layout.
    std::vector<std::wstring> commands() const
    {
        std::vector<std::wstring> texts;
        for (const std::wstring& text : variableValues(L"xmlCommand"))
            texts.push_back(test::withoutLayout(text));
        return texts;
    }

    // The uin of the newest command.
    int lastUin() const
    {
        IXMLDOMElementPtr root;
        test::parseXml(commands().back())->get_documentElement(&root);
        int uin = -1;
        par::parseInt(par::toWide(par::getXmlAttribute(root, "uin")), uin);
        return uin;
    }

    static std::wstring command(const std::wstring& serviceId, int uin, const std::wstring& content = L"")
    {
        const std::wstring head = L"<root id=\"addListener\" serviceId=\"" + serviceId + L"\" uin=\"" +
                                  par::toWString(uin) + L"\"";
        return content.empty() ? head + L"/>" : head + L">" + content + L"</root>";
    }

    void fireEvent(const std::string& document) { fireFsCommand(L"xmlCommandEvent", par::toWide(document)); }

    test::LogCapture appLog{"app"};
    RecordingCommandListener tray;
    RecordingCommandListener other;
};

TEST_F(CommandEventManagerTest, RegistrationsTakeConsecutiveUinsAndTellTheMovie)
{
    manager().addListener(&tray, "options", nullptr);
    const int first = lastUin();
    manager().addListener(&tray, "tray", nullptr);
    const std::vector<std::wstring> expected = {command(L"options", first), command(L"tray", first + 1)};
    EXPECT_EQ(expected, commands());
    EXPECT_EQ("", appLog.text());
}

TEST_F(CommandEventManagerTest, RefusedRegistrationsAreLoggedAndTakeNoNumber)
{
    manager().addListener(&tray, "tray", nullptr);
    const int first = lastUin();
    manager().addListener(&tray, "tray", nullptr);
    manager().addListener(&tray, "", nullptr);
    EXPECT_EQ(1u, commands().size());
    EXPECT_EQ("CommandEventManager::addListener(), the listener is already installed, serviceId=tray\n"
              "CommandEventManager::addListener(), serviceId is missing\n",
              appLog.text());

    manager().addListener(&other, "tray", nullptr);
    EXPECT_EQ(command(L"tray", first + 1), commands().back());
}

TEST_F(CommandEventManagerTest, ParametersRootAttributesGoAlongAsParams)
{
    manager().addListener(&tray, "options", test::parseXml(L"<p a=\"1\" b=\"2\">text<child c=\"3\"/></p>"));
    EXPECT_EQ(command(L"options", lastUin(), L"<params a=\"1\" b=\"2\"/>"), commands().back());

    manager().addListener(&tray, "tray", par::createXmlDocument());
    EXPECT_EQ(command(L"tray", lastUin(), L"<params/>"), commands().back());
}

TEST_F(CommandEventManagerTest, EventReachesTheListenerOfItsUinWhateverItsServiceId)
{
    manager().addListener(&tray, "tray", nullptr);
    const std::string trayUin = par::toString(lastUin());
    manager().addListener(&other, "options", nullptr);

    fireEvent("<event uin=\"" + trayUin + "\" serviceId=\"options\" eventId=\"changed\"><v/></event>");
    EXPECT_EQ(std::vector<std::string>{trayUin + "|options|changed|<event uin=\"" + trayUin +
                                       "\" serviceId=\"options\" eventId=\"changed\"><v/></event>"},
              tray.events);
    EXPECT_TRUE(other.events.empty());
}

TEST_F(CommandEventManagerTest, EventsForUnknownUinsAreLoggedAndDropped)
{
    manager().addListener(&tray, "tray", nullptr);
    fireEvent("<event uin=\"99999\" serviceId=\"tray\" eventId=\"changed\"/>");
    fireEvent("no xml at all");
    EXPECT_TRUE(tray.events.empty());
    EXPECT_EQ("CommandEventManager::handleCommandEvent(), listener not found, the event is skipped, , "
              "uin=99999, serviceId=tray\n"
              "CommandEventManager::handleCommandEvent(), listener not found, the event is skipped, , "
              "uin=, serviceId=\n",
              appLog.text());
}

} // namespace
