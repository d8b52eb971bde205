// Native overhead of the two roads between the movie and native code: a
// FlashCall fired by the stand-in control, decoded, offered to a listener
// and answered through SetReturnValue; and a movie function called through
// SwfWindow::callFunctionString. Beside the first, a bare MSXML decode of
// the same call document in one reused document: the floor that the road's
// own cost is measured against. Prints median and 99th percentile.

#include "swfwindow/SwfWindow.h"

#include "Bstr.h"
#include "IFlashStandIn.h"
#include "StandInClassFactory.h"

#include "app/UiApplication.h"
#include "util/XmlUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using standin::Bstr;

namespace {

const int kWarmUp = 1000;
const int kCalls = 20000;

// Registers the window classes; the benchmark needs no main window.
class BenchApplication : public par::UiApplication {
public:
    BenchApplication() : par::UiApplication(GetModuleHandleA(nullptr), nullptr, L"", SW_HIDE) {}
    par::Window* createMainWindow() override { return nullptr; }
};

class AnsweringListener : public SwfWindow::Listener {
public:
    std::wstring onExternalCall(SwfWindow*, const std::wstring&, const std::vector<std::wstring>& arguments) override
    {
        return L"<string>" + arguments.at(0) + L"</string>";
    }
};

// Microseconds of each run of the action, after a warm-up.
std::vector<double> measure(const std::function<bool()>& action)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < kWarmUp; ++i)
        action();
    std::vector<double> times;
    times.reserve(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        const bool succeeded = action();
        QueryPerformanceCounter(&end);
        if (!succeeded) {
            std::printf("call %d failed\n", i);
            std::exit(1);
        }
        times.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times;
}

// Prints the figures and answers the median.
double report(const char* what, const std::vector<double>& sorted)
{
    const size_t p99 = (sorted.size() * 99 + 99) / 100 - 1;
    std::printf("%-58s %6zu calls  median %8.1f us  p99 %8.1f us\n", what, sorted.size(),
                sorted[sorted.size() / 2], sorted[p99]);
    return sorted[sorted.size() / 2];
}

// What any decoding of the call must do: parse it, read the name and the
// text of each argument.
bool decodeBare(IXMLDOMDocument2* document, BSTR text)
{
    VARIANT_BOOL loaded = VARIANT_FALSE;
    IXMLDOMElementPtr root;
    if (document->loadXML(text, &loaded) != S_OK || document->get_documentElement(&root) != S_OK || !root)
        return false;
    _variant_t name;
    root->getAttribute(_bstr_t(L"name"), &name);
    IXMLDOMNodePtr arguments;
    root->get_firstChild(&arguments);
    IXMLDOMNodePtr child;
    if (!arguments || arguments->get_firstChild(&child) != S_OK)
        return false;
    size_t length = 0;
    while (child) {
        BSTR value = nullptr;
        child->get_text(&value);
        length += SysStringLen(value);
        SysFreeString(value);
        IXMLDOMNodePtr next;
        child->get_nextSibling(&next);
        child = next;
    }
    return length > 0;
}

} // namespace

int main()
{
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    IClassFactory* factory = standin::StandInClassFactory::create();
    DWORD registration = 0;
    CoRegisterClassObject(ShockwaveFlashObjects::CLSID_ShockwaveFlash, factory, CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &registration);
    factory->Release();
    {
        BenchApplication application;
        SwfWindow window;
        IFlashStandIn* standIn = nullptr;
        if (!window.getFlash() ||
            FAILED(window.getFlash()->QueryInterface(IID_IFlashStandIn, reinterpret_cast<void**>(&standIn)))) {
            std::printf("no control\n");
            return 1;
        }
        AnsweringListener listener;
        window.addListener(&listener, false);

        const Bstr request(L"<invoke name=\"getOptionsValue\" returntype=\"xml\"><arguments>"
                           L"<string>tray/units</string><true/><number>3</number></arguments></invoke>");
        const double road = report("FlashCall: fired, decoded, answered with SetReturnValue", measure([&] {
                                       Bstr answer;
                                       return standIn->FireFlashCall(request.get(), answer.out()) == S_OK;
                                   }));
        const IXMLDOMDocument2Ptr bareDocument = par::createXmlDocument();
        const double bare = report("  bare MSXML decode of the same call document", measure([&] {
                                       return decodeBare(bareDocument, request.get());
                                   }));
        std::printf("%-58s %8.1fx\n", "  FlashCall median over bare decode median", road / bare);

        standIn->SetFunctionAnswer(Bstr(L"getLocaleString").get(), Bstr(L"<string>Exit</string>").get());
        const wchar_t* const args[] = {L"IDS_EXIT", L""};
        std::wstring result;
        report("callFunctionString: encoded, called, answer decoded", measure([&] {
                   return window.callFunctionString(result, L"getLocaleString", args, 2);
               }));

        // The stand-in parses each call document itself; its share of the
        // figure above, for comparison.
        const Bstr document(L"<invoke name=\"getLocaleString\" returntype=\"string\"><arguments>"
                            L"<string>IDS_EXIT</string><undefined/></arguments></invoke>");
        report("  of which the stand-in's own CallFunction", measure([&] {
                   Bstr answer;
                   return window.getFlash()->CallFunction(document.get(), answer.out()) == S_OK;
               }));
        standIn->Release();
    }
    CoRevokeClassObject(registration);
    OleUninitialize();
    return 0;
}
