#include "FlashStandIn.h"

#include "Bstr.h"
#include "MovieXml.h"
#include "StandInModule.h"

#include "util/ExceptionUtil.h"
#include "util/Log.h"
#include "util/StringUtil.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <list>

using namespace ShockwaveFlashObjects;

namespace standin {

namespace {

// What the control reports while a movie loads, one step per posted message
// as a real movie advances frame by frame.
struct LoadStep {
    DISPID event;
    long value;
};
const LoadStep kLoadSteps[] = {
    {DISPID_FLASH_READYSTATECHANGE, FLASH_READYSTATE_LOADING},
    {DISPID_FLASH_PROGRESS, 0},
    {DISPID_FLASH_PROGRESS, 50},
    {DISPID_FLASH_PROGRESS, 100},
    {DISPID_FLASH_READYSTATECHANGE, FLASH_READYSTATE_LOADED},
    {DISPID_FLASH_READYSTATECHANGE, FLASH_READYSTATE_INTERACTIVE},
    {DISPID_FLASH_READYSTATECHANGE, FLASH_READYSTATE_COMPLETE},
};
const size_t kLoadStepCount = sizeof kLoadSteps / sizeof kLoadSteps[0];

const COLORREF kDefaultBackground = RGB(255, 255, 255);

// Words of FLASH_STANDIN_EAGER, e.g. "load,set".
const wchar_t* const kEagerVariable = L"FLASH_STANDIN_EAGER";

bool hasWord(std::wstring list, const wchar_t* word)
{
    par::replaceAll(list, L" ", L",");
    std::list<std::wstring> words;
    par::splitString(words, list, L",");
    return std::find(words.begin(), words.end(), word) != words.end();
}

std::wstring environmentText(const wchar_t* name)
{
    wchar_t text[64];
    const DWORD length = GetEnvironmentVariableW(name, text, sizeof text / sizeof text[0]);
    return length > 0 && length < sizeof text / sizeof text[0] ? std::wstring(text, length) : std::wstring();
}

// Keeps the control alive while it calls out: a host may release it from
// inside an event.
class Hold {
public:
    explicit Hold(IUnknown* object) : myObject(object) { myObject->AddRef(); }
    ~Hold() { myObject->Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    IUnknown* myObject;
};

// "#RRGGBB" as a colour.
bool parseHashColor(const std::wstring& text, COLORREF& color)
{
    if (text.size() != 7 || text[0] != L'#')
        return false;
    for (size_t i = 1; i < text.size(); ++i) {
        if (!std::iswxdigit(text[i]))
            return false;
    }
    const unsigned long rgb = std::wcstoul(text.c_str() + 1, nullptr, 16);
    color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

std::wstring fileName(const std::wstring& path)
{
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring folderName(const std::wstring& path)
{
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A path the script names, relative to the script's folder unless absolute.
std::wstring resolvePath(const std::wstring& folder, const std::wstring& path)
{
    const bool absolute = (path.size() > 1 && path[1] == L':') ||
                          (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
    return absolute || folder.empty() ? path : folder + L"\\" + path;
}

std::wstring hresultText(HRESULT result)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// The function name of a call document for the transcript, or the empty
// text. Read from the text as written: a parser per event would cost more
// than the host's whole answer.
std::wstring invokeName(const std::wstring& request)
{
    const std::wstring prefix = L"<invoke name=\"";
    if (request.compare(0, prefix.size(), prefix) != 0)
        return std::wstring();
    const std::wstring::size_type end = request.find(L'"', prefix.size());
    return end == std::wstring::npos ? std::wstring() : request.substr(prefix.size(), end - prefix.size());
}

// True when the index names an entry of the log.
template <class T>
bool inRange(const std::vector<T>& log, long index)
{
    return index >= 0 && static_cast<size_t>(index) < log.size();
}

} // namespace

HRESULT FlashStandIn::create(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    auto* control = new FlashStandIn();
    HRESULT result = control->myMessages.isValid() ? control->QueryInterface(riid, object)
                                                   : E_FAIL;
    control->Release();
    return result;
}

FlashStandIn::FlashStandIn()
    : myConnectionPoint(*this), myMessages(*this), mySchedule(myMessages)
{
    addModuleReference();
    myView.setBackground(kDefaultBackground);
    const std::wstring eager = environmentText(kEagerVariable);
    myEagerLoad = hasWord(eager, L"load");
    myEagerSet = hasWord(eager, L"set");
}

FlashStandIn::~FlashStandIn()
{
    deactivate();
    if (myClientSite)
        myClientSite->Release();
    releaseModuleReference();
}

HRESULT STDMETHODCALLTYPE FlashStandIn::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IShockwaveFlash)
        *object = static_cast<IShockwaveFlash*>(this);
    else if (riid == IID_IOleObject)
        *object = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IPersistStorage || riid == IID_IPersist)
        *object = static_cast<IPersistStorage*>(this);
    else if (riid == IID_IFlashStandIn)
        *object = static_cast<IFlashStandIn*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE FlashStandIn::AddRef()
{
    return static_cast<ULONG>(++myReferences);
}

ULONG STDMETHODCALLTYPE FlashStandIn::Release()
{
    const LONG references = --myReferences;
    if (references == 0) {
        // Calls out of the destructor may count up and down again.
        myReferences = 1;
        delete this;
    }
    return static_cast<ULONG>(references);
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

// --- IShockwaveFlash ---

HRESULT STDMETHODCALLTYPE FlashStandIn::get_ReadyState(long* state)
{
    if (!state)
        return E_POINTER;
    *state = myReadyState;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::put_BackgroundColor(long color)
{
    // Red in the high byte; -1 gives the movie's own colour back.
    if (color == -1) {
        myView.setBackground(kDefaultBackground);
        return S_OK;
    }
    if (color < 0 || color > 0xFFFFFF)
        return E_INVALIDARG;
    myView.setBackground(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::put_Movie(BSTR movie)
{
    // It may fire events, inside which a host may release it.
    Hold hold(static_cast<IShockwaveFlash*>(this));
    return par::callGuarded("FlashStandIn::put_Movie()", E_UNEXPECTED, [&]() -> HRESULT {
        const std::wstring path = Bstr::toString(movie);
        MovieScript script;
        std::wstring error;
        const HRESULT result = loadMovieScript(path, script, error);
        if (FAILED(result)) {
            par::getLog("standin.flash")
                ->severe("FlashStandIn::put_Movie(), " + par::toNarrow(error) + ", path=" +
                         par::toNarrow(path));
            record(L"load-failed", {path, error});
            return result;
        }
        const std::wstring folder = folderName(path);
        if (!script.transcript.empty() && !myTranscript.open(resolvePath(folder, script.transcript)))
            par::getLog("standin.flash")
                ->severe("FlashStandIn::put_Movie(), cannot open the transcript " +
                         par::toNarrow(script.transcript));
        stopMovie();
        myMovie.start(script, folder);
        myActions = script.actions;
        myReadyState = FLASH_READYSTATE_LOADING;
        myView.setTitle(fileName(path));
        myView.setLines(myMovie.lines());
        record(L"load", {path});
        const WPARAM generation = myGeneration;
        if (myEagerLoad)
            loadAtOnce(generation);
        else
            mySchedule.plan(0, [this, generation] { runLoadStep(0, generation); });
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::put_BGColor(BSTR color)
{
    return par::callGuarded("FlashStandIn::put_BGColor()", E_UNEXPECTED, [&]() -> HRESULT {
        COLORREF background;
        if (!parseHashColor(Bstr::toString(color), background))
            return E_INVALIDARG;
        myView.setBackground(background);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetVariable(BSTR name, BSTR value)
{
    // It may fire events, inside which a host may release it.
    Hold hold(static_cast<IShockwaveFlash*>(this));
    return par::callGuarded("FlashStandIn::SetVariable()", E_UNEXPECTED, [&]() -> HRESULT {
        const std::wstring variable = Bstr::toString(name);
        const std::wstring text = Bstr::toString(value);
        const auto failure = myVariableFailures.find(variable);
        if (failure != myVariableFailures.end())
            return failure->second;
        myMovie.writeVariable(variable, text);
        record(L"set", {variable, text});
        if (variable == L"xmlRequest")
            answerRequest(text);
        for (const MovieScript::Action& action : myMovie.reactionsTo(variable, text))
            reactTo(action);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetVariable(BSTR name, BSTR* value)
{
    return par::callGuarded("FlashStandIn::GetVariable()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        std::wstring text;
        if (!myMovie.readVariable(Bstr::toString(name), text))
            return E_FAIL;
        *value = Bstr(text).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::CallFunction(BSTR request, BSTR* response)
{
    // It may fire events, inside which a host may release it.
    Hold hold(static_cast<IShockwaveFlash*>(this));
    return par::callGuarded("FlashStandIn::CallFunction()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!response)
            return E_POINTER;
        *response = nullptr;
        const std::wstring document = Bstr::toString(request);
        std::wstring name;
        std::vector<std::wstring> arguments;
        const bool decoded = decodeInvoke(document, name, arguments);
        myMovie.recordCall(decoded ? name : std::wstring(), document);
        MovieScript::FunctionAnswer answer;
        if (!decoded || mySchedule.hangs() || !myMovie.answerCall(name, arguments, answer)) {
            answer = {std::wstring(), E_FAIL};
        } else {
            for (const std::wstring& callback : myMovie.callbacksOf(name))
                fireFlashCall(callback, nullptr);
        }

        const std::wstring outcome = FAILED(answer.failure) ? L"fail " + hresultText(answer.failure)
                                                            : answer.value;
        if (!decoded)
            arguments.assign(1, document);
        // The fields of a call are as many as its arguments.
        std::vector<std::wstring> fields{name, outcome};
        fields.insert(fields.end(), arguments.begin(), arguments.end());
        record(L"call", fields);
        if (FAILED(answer.failure))
            return answer.failure;
        *response = Bstr(answer.value).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetReturnValue(BSTR returnValue)
{
    return par::callGuarded("FlashStandIn::SetReturnValue()", E_UNEXPECTED, [&]() -> HRESULT {
        const std::wstring value = Bstr::toString(returnValue);
        myMovie.recordReturnValue(value);
        if (!myReturnSlots.empty())
            myReturnSlots.back() = value;
        return S_OK;
    });
}

// --- IOleObject ---

HRESULT STDMETHODCALLTYPE FlashStandIn::SetClientSite(IOleClientSite* site)
{
    if (site)
        site->AddRef();
    if (myClientSite)
        myClientSite->Release();
    myClientSite = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = myClientSite;
    if (myClientSite)
        myClientSite->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::Close(DWORD)
{
    return par::callGuarded("FlashStandIn::Close()", E_UNEXPECTED, [&]() -> HRESULT {
        stopMovie();
        deactivate();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite,
                                               LONG, HWND parent, LPCRECT rect)
{
    return par::callGuarded("FlashStandIn::DoVerb()", E_UNEXPECTED, [&]() -> HRESULT {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return activate(myClientSite ? myClientSite : activeSite, parent, rect);
        case OLEIVERB_HIDE:
            if (myView.handle())
                ShowWindow(myView.handle(), SW_HIDE);
            return S_OK;
        default:
            return E_NOTIMPL;
        }
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetUserClassID(CLSID* clsid)
{
    return GetClassID(clsid);
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetMiscStatus(DWORD, DWORD* status)
{
    if (!status)
        return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

HRESULT FlashStandIn::activate(IOleClientSite* site, HWND parent, LPCRECT rect)
{
    if (myView.handle()) {
        ShowWindow(myView.handle(), SW_SHOW);
        return S_OK;
    }
    if (!site)
        return E_UNEXPECTED;
    // Controls ask for the richer site first; a host may refuse it.
    IOleInPlaceSiteEx* richSite = nullptr;
    if (SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSiteEx, reinterpret_cast<void**>(&richSite))) &&
        richSite)
        richSite->Release();
    IOleInPlaceSite* inPlaceSite = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite))) ||
        !inPlaceSite)
        return E_NOINTERFACE;
    if (inPlaceSite->CanInPlaceActivate() != S_OK) {
        inPlaceSite->Release();
        return E_FAIL;
    }
    inPlaceSite->OnInPlaceActivate();

    HWND siteWindow = nullptr;
    if (SUCCEEDED(inPlaceSite->GetWindow(&siteWindow)) && siteWindow)
        parent = siteWindow;
    RECT position = rect ? *rect : RECT{0, 0, 0, 0};
    RECT clip = position;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    inPlaceSite->GetWindowContext(&frame, &document, &position, &clip, &frameInfo);
    if (frame)
        frame->Release();
    if (document)
        document->Release();

    if (!myView.create(parent, position)) {
        inPlaceSite->OnInPlaceDeactivate();
        inPlaceSite->Release();
        return E_FAIL;
    }
    myInPlaceSite = inPlaceSite;
    site->ShowObject();
    return S_OK;
}

void FlashStandIn::deactivate()
{
    if (!myInPlaceSite)
        return;
    myView.destroy();
    IOleInPlaceSite* site = myInPlaceSite;
    myInPlaceSite = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
}

// --- IOleInPlaceObject ---

HRESULT STDMETHODCALLTYPE FlashStandIn::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = myView.handle();
    return *window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::InPlaceDeactivate()
{
    return par::callGuarded("FlashStandIn::InPlaceDeactivate()", E_UNEXPECTED, [&]() -> HRESULT {
        deactivate();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetObjectRects(LPCRECT position, LPCRECT)
{
    return par::callGuarded("FlashStandIn::SetObjectRects()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!position)
            return E_INVALIDARG;
        myView.move(*position);
        return S_OK;
    });
}

// --- IConnectionPointContainer, IPersistStorage ---

HRESULT STDMETHODCALLTYPE FlashStandIn::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    if (riid != DIID__IShockwaveFlashEvents) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &myConnectionPoint;
    myConnectionPoint.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_ShockwaveFlash;
    return S_OK;
}

// --- IFlashStandIn ---

HRESULT STDMETHODCALLTYPE FlashStandIn::FireFlashCall(BSTR request, BSTR* returnValue)
{
    return par::callGuarded("FlashStandIn::FireFlashCall()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!returnValue)
            return E_POINTER;
        *returnValue = nullptr;
        std::wstring value;
        if (!fireFlashCall(Bstr::toString(request), &value))
            return S_FALSE;
        *returnValue = Bstr(value).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::FireFSCommand(BSTR command, BSTR args)
{
    return par::callGuarded("FlashStandIn::FireFSCommand()", E_UNEXPECTED, [&]() -> HRESULT {
        fireFsCommand(Bstr::toString(command), Bstr::toString(args));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::FireReadyStateChange(long state)
{
    return par::callGuarded("FlashStandIn::FireReadyStateChange()", E_UNEXPECTED, [&]() -> HRESULT {
        fireLong(DISPID_FLASH_READYSTATECHANGE, state);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::FireProgress(long percent)
{
    return par::callGuarded("FlashStandIn::FireProgress()", E_UNEXPECTED, [&]() -> HRESULT {
        fireLong(DISPID_FLASH_PROGRESS, percent);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetFunctionAnswer(BSTR name, BSTR valueElement)
{
    return par::callGuarded("FlashStandIn::SetFunctionAnswer()", E_UNEXPECTED, [&]() -> HRESULT {
        myMovie.setFunctionAnswer(Bstr::toString(name), Bstr::toString(valueElement));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetFunctionFailure(BSTR name, HRESULT result)
{
    return par::callGuarded("FlashStandIn::SetFunctionFailure()", E_UNEXPECTED, [&]() -> HRESULT {
        if (SUCCEEDED(result))
            return E_INVALIDARG;
        myMovie.setFunctionFailure(Bstr::toString(name), result);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetVariableFailure(BSTR name, HRESULT result)
{
    return par::callGuarded("FlashStandIn::SetVariableFailure()", E_UNEXPECTED, [&]() -> HRESULT {
        if (SUCCEEDED(result))
            myVariableFailures.erase(Bstr::toString(name));
        else
            myVariableFailures[Bstr::toString(name)] = result;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::AddFunctionCallback(BSTR name, BSTR request)
{
    return par::callGuarded("FlashStandIn::AddFunctionCallback()", E_UNEXPECTED, [&]() -> HRESULT {
        myMovie.addCallback(Bstr::toString(name), Bstr::toString(request));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetRequestIgnored(BSTR id, VARIANT_BOOL ignored)
{
    return par::callGuarded("FlashStandIn::SetRequestIgnored()", E_UNEXPECTED, [&]() -> HRESULT {
        myMovie.setRequestIgnored(Bstr::toString(id), ignored != VARIANT_FALSE);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::SetHang(VARIANT_BOOL hang)
{
    return par::callGuarded("FlashStandIn::SetHang()", E_UNEXPECTED, [&]() -> HRESULT {
        setHang(hang != VARIANT_FALSE);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetVariableWriteCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<long>(myMovie.variableWrites().size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetVariableWrite(long index, BSTR* name, BSTR* value)
{
    return par::callGuarded("FlashStandIn::GetVariableWrite()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!name || !value)
            return E_POINTER;
        if (!inRange(myMovie.variableWrites(), index))
            return E_INVALIDARG;
        const MovieState::VariableWrite& write = myMovie.variableWrites()[static_cast<size_t>(index)];
        *name = Bstr(write.name).release();
        *value = Bstr(write.value).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetFunctionCallCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<long>(myMovie.functionCalls().size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetFunctionCall(long index, BSTR* name, BSTR* request)
{
    return par::callGuarded("FlashStandIn::GetFunctionCall()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!name || !request)
            return E_POINTER;
        if (!inRange(myMovie.functionCalls(), index))
            return E_INVALIDARG;
        const MovieState::FunctionCall& call = myMovie.functionCalls()[static_cast<size_t>(index)];
        *name = Bstr(call.name).release();
        *request = Bstr(call.request).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetReturnValueCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<long>(myMovie.returnValues().size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetReturnValue(long index, BSTR* value)
{
    return par::callGuarded("FlashStandIn::GetReturnValue()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!value)
            return E_POINTER;
        if (!inRange(myMovie.returnValues(), index))
            return E_INVALIDARG;
        *value = Bstr(myMovie.returnValues()[static_cast<size_t>(index)]).release();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FlashStandIn::GetShownLines(BSTR* lines)
{
    return par::callGuarded("FlashStandIn::GetShownLines()", E_UNEXPECTED, [&]() -> HRESULT {
        if (!lines)
            return E_POINTER;
        std::wstring text;
        for (const std::wstring& line : myMovie.lines())
            text += (text.empty() ? L"" : L"\n") + line;
        *lines = Bstr(text).release();
        return S_OK;
    });
}

// --- the movie playing ---

void FlashStandIn::onMessage(UINT message, WPARAM wParam)
{
    Hold hold(static_cast<IShockwaveFlash*>(this));
    if (message == MovieSchedule::kWakeMessage ||
        (message == WM_TIMER && wParam == MovieSchedule::kTimerId))
        mySchedule.onWake();
}

void FlashStandIn::stopMovie()
{
    ++myGeneration;
    mySchedule.clear();
}

bool FlashStandIn::reportLoadStep(size_t step, WPARAM generation)
{
    const LoadStep& load = kLoadSteps[step];
    if (load.event == DISPID_FLASH_READYSTATECHANGE)
        myReadyState = load.value;
    fireLong(load.event, load.value);
    return generation == myGeneration;
}

void FlashStandIn::loadAtOnce(WPARAM generation)
{
    for (size_t step = 0; step < kLoadStepCount; ++step) {
        if (!reportLoadStep(step, generation))
            return;
    }
    startActions(generation);
}

void FlashStandIn::runLoadStep(size_t step, WPARAM generation)
{
    if (!reportLoadStep(step, generation))
        return;
    if (step + 1 < kLoadStepCount)
        mySchedule.plan(0, [this, step, generation] { runLoadStep(step + 1, generation); });
    else
        startActions(generation);
}

// The actions without a delay run at once, in file order, until one makes
// the movie hang; the rest are planned.
void FlashStandIn::startActions(WPARAM generation)
{
    const std::vector<MovieScript::Action> actions = myActions;
    for (const MovieScript::Action& action : actions) {
        if (generation != myGeneration)
            return;
        if (action.delayMs == 0 && !mySchedule.hangs())
            runAction(action);
        else
            planAction(action);
    }
}

void FlashStandIn::planAction(const MovieScript::Action& action)
{
    const WPARAM generation = myGeneration;
    mySchedule.plan(action.delayMs, [this, action, generation] {
        if (generation == myGeneration)
            runAction(action);
    });
}

bool FlashStandIn::runsInsideTheWrite(DWORD delayMs) const
{
    // By default a movie notices a variable on its next frame, never inside
    // the write; an eager one only when its code could run now: not while
    // one of its own events waits for the host, and not ahead of work
    // already due.
    return myEagerSet && delayMs == 0 && mySchedule.canRunNow();
}

void FlashStandIn::reactTo(const MovieScript::Action& action)
{
    if (runsInsideTheWrite(action.delayMs))
        runAction(action);
    else
        planAction(action);
}

void FlashStandIn::runAction(const MovieScript::Action& action)
{
    switch (action.kind) {
    case MovieScript::Action::Kind::Show:
        myMovie.addLine(action.first);
        myView.setLines(myMovie.lines());
        record(L"show", {action.first});
        break;
    case MovieScript::Action::Kind::FsCommand:
        fireFsCommand(action.first, action.second);
        break;
    case MovieScript::Action::Kind::FlashCall:
        fireFlashCall(action.first, nullptr);
        break;
    case MovieScript::Action::Kind::Event:
        fireEvent(action.first, action.second);
        break;
    case MovieScript::Action::Kind::Hang: {
        setHang(true);
        if (!action.first.empty()) {
            const WPARAM generation = myGeneration;
            const DWORD duration = std::wcstoul(action.first.c_str(), nullptr, 10);
            mySchedule.plan(duration, [this, generation] {
                if (generation == myGeneration)
                    setHang(false);
            }, true);
        }
        break;
    }
    case MovieScript::Action::Kind::Unhang:
        setHang(false);
        break;
    case MovieScript::Action::Kind::Answers:
        myMovie.apply(*action.answers);
        break;
    }
}

// To every uin the host subscribed for the service, in order.
void FlashStandIn::fireEvent(const std::wstring& serviceId, const std::wstring& eventId)
{
    const std::vector<std::wstring> uins = myMovie.subscribers(serviceId);
    if (uins.empty())
        record(L"no-subscriber", {serviceId, eventId});
    const WPARAM generation = myGeneration;
    for (const std::wstring& uin : uins) {
        if (generation != myGeneration)
            return;
        fireFsCommand(L"xmlCommandEvent", makeCommandEvent(uin, serviceId, eventId));
    }
}

void FlashStandIn::answerRequest(const std::wstring& document)
{
    MovieScript::RequestRule rule;
    std::wstring response;
    if (!myMovie.answerRequest(document, rule, response) || rule.never)
        return;
    if (runsInsideTheWrite(rule.delayMs)) {
        fireFsCommand(L"xmlResponse", response);
        return;
    }
    const WPARAM generation = myGeneration;
    mySchedule.plan(rule.delayMs, [this, response, generation] {
        if (generation == myGeneration)
            fireFsCommand(L"xmlResponse", response);
    });
}

void FlashStandIn::setHang(bool hang)
{
    if (hang == mySchedule.hangs())
        return;
    mySchedule.setHang(hang);
    record(hang ? L"hang" : L"unhang", {});
}

void FlashStandIn::record(const wchar_t* kind, const std::vector<std::wstring>& fields)
{
    myTranscript.write(kind, fields);
    myView.setStatus(std::wstring(kind) + (fields.empty() ? L"" : L" " + fields.front()));
}

// --- events ---

bool FlashStandIn::fireFlashCall(const std::wstring& request, std::wstring* returnValue)
{
    const std::wstring name = invokeName(request);
    record(L"flashcall", {name, request});
    Bstr text(request);
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = text.get();
    myReturnSlots.emplace_back();
    fire(DISPID_FLASH_FLASHCALL, &argument, 1);
    const std::optional<std::wstring> handed = myReturnSlots.back();
    myReturnSlots.pop_back();
    if (handed)
        record(L"return", {name, *handed});
    else
        record(L"no-return", {name});
    if (handed && returnValue)
        *returnValue = *handed;
    return handed.has_value();
}

void FlashStandIn::fireFsCommand(const std::wstring& command, const std::wstring& args)
{
    record(L"fscommand", {command, args});
    Bstr commandText(command);
    Bstr argsText(args);
    VARIANTARG arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[0].vt = VT_BSTR;
    arguments[0].bstrVal = argsText.get();
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = commandText.get();
    fire(DISPID_FLASH_FSCOMMAND, arguments, 2);
}

void FlashStandIn::fireLong(DISPID event, long value)
{
    record(event == DISPID_FLASH_PROGRESS ? L"progress" : L"ready-state", {std::to_wstring(value)});
    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = value;
    fire(event, &argument, 1);
}

void FlashStandIn::fire(DISPID event, VARIANTARG* args, UINT count)
{
    mySchedule.enterEvent();
    myConnectionPoint.fire(event, args, count);
    mySchedule.leaveEvent();
}

} // namespace standin
