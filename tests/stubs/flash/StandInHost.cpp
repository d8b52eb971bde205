// A small host of the registered stand-in control, started by tests as a
// process of its own: it plays the programs' side of the conversations with
// the product's movie (skyvane or saver) and ends when the movie confirms
// its shutdown. The tests read what happened from the movie's transcript.
//   flash_standin_host ROLE MOVIE      ROLE: "app" or "screenSaver"
// Exit code 0 after "shutdownDone", 2 when it did not come in time, 1 when
// the control could not be embedded or the movie not loaded.

#include "Bstr.h"
#include "TestContainer.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

using namespace ShockwaveFlashObjects;
using standin::Bstr;

namespace {

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD);

const UINT_PTR kPingTimer = 1;
const UINT_PTR kDeadlineTimer = 2;
const DWORD kDeadlineMs = 30000;

class Host {
public:
    Host(test::TestContainer& container, const std::wstring& role)
        : myContainer(container), myRole(role)
    {
        container.sink().onFsCommand = [this](const std::wstring& command, const std::wstring& args) {
            onFsCommand(command, args);
        };
        container.sink().onFlashCall = [this](const std::wstring& request) { onFlashCall(request); };
    }

    void onTimer(UINT_PTR id)
    {
        if (id == kDeadlineTimer)
            PostQuitMessage(2);
        else if (id == kPingTimer)
            write(L"xmlRequest", L"<asyncRequest id=\"ping\"/>");
    }

private:
    IShockwaveFlash* flash() const { return myContainer.flash(); }

    void write(const std::wstring& name, const std::wstring& value)
    {
        flash()->SetVariable(Bstr(name).get(), Bstr(value).get());
    }

    std::wstring call(const std::wstring& name, const std::wstring& arguments = L"")
    {
        const std::wstring request = L"<invoke name=\"" + name + L"\" returntype=\"string\">" +
                                     (arguments.empty() ? L"" : L"<arguments>" + arguments + L"</arguments>") +
                                     L"</invoke>";
        Bstr answer;
        flash()->CallFunction(Bstr(request).get(), answer.out());
        return answer.text();
    }

    void onFsCommand(const std::wstring& command, const std::wstring& args)
    {
        if (command == L"parProgramReady")
            SetTimer(myContainer.window(), kPingTimer, 2000, timerProc);
        else if (command == L"quorReady" && myRole == L"app")
            connectTray();
        else if (command == L"xmlCommandEvent" && args.find(L"handleTotalUpdate") != std::wstring::npos)
            onTotalUpdate();
    }

    // What the desktop program does once its movie is ready.
    void connectTray()
    {
        call(L"trayAdd");
        write(L"xmlCommand", L"<root id=\"addListener\" serviceId=\"options\" uin=\"0\"/>");
        write(L"xmlCommand", L"<root id=\"addListener\" serviceId=\"tray\" uin=\"1\"/>");
        write(L"active", L"false");
        call(L"trayGetTemperature");
        call(L"trayGetWeatherAgeSec");
        call(L"trayIsWeatherOutdated");
        call(L"trayGetLocationName");
        call(L"getOptionsValue", L"<string>quor/ui/tray/textColor</string>");
        call(L"getOptionsValue", L"<string>quor/ui/tray/background</string>");
        call(L"convertCwfToUserValue", L"<string>temperature</string><number>21.0000</number>");
        call(L"formatLocaleString", L"<string>IDS_OPEN_PROGRAM</string><string>Skyvane</string>");
        call(L"getLocaleString", L"<string>IDS_EXIT</string>");
        call(L"trayBuildTooltipHtml");
        call(L"hackSaveOptions");
        write(L"xmlRequest", L"<asyncRequest id=\"suspend\"/>");
    }

    // The tray asks again; then the program is asked to exit, twice.
    void onTotalUpdate()
    {
        call(L"trayGetTemperature");
        write(L"xmlRequest", L"<asyncRequest id=\"resume\"/>");
        exit();
        exit();
    }

    void exit()
    {
        if (myShutdownSent || call(L"isParProgram") != L"<true/>")
            return;
        myShutdownSent = true;
        write(L"shutdown", L"");
    }

    void onFlashCall(const std::wstring& request)
    {
        std::wstring answer;
        if (request.find(L"name=\"getRole\"") != std::wstring::npos) {
            answer = L"<string>" + myRole + L"</string>";
        } else if (request.find(L"name=\"shutdownDone\"") != std::wstring::npos) {
            PostQuitMessage(0);
        }
        flash()->SetReturnValue(Bstr(answer).get());
    }

    test::TestContainer& myContainer;
    std::wstring myRole;
    bool myShutdownSent = false;
};

Host* theHost = nullptr;

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    if (theHost)
        theHost->onTimer(id);
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3)
        return 1;
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    int code = 1;
    {
        test::TestContainer container;
        Host host(container, argv[1]);
        theHost = &host;
        if (SUCCEEDED(container.embed()) &&
            SUCCEEDED(container.flash()->put_Movie(Bstr(argv[2]).get()))) {
            SetTimer(container.window(), kDeadlineTimer, kDeadlineMs, timerProc);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                DispatchMessageW(&message);
            code = static_cast<int>(message.wParam);
        }
        theHost = nullptr;
    }
    OleUninitialize();
    LocalFree(argv);
    return code;
}
