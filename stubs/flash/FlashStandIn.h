#pragma once

#include "EventConnectionPoint.h"
#include "FlashInterfaceDefaults.h"
#include "IFlashStandIn.h"
#include "MessageWindow.h"
#include "MovieSchedule.h"
#include "MovieState.h"
#include "StandInView.h"
#include "Transcript.h"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// Our stand-in for the Flash control: embedded through OLE like the real
// one, it plays a movie script instead of a movie and answers the host's
// variables, requests and function calls as the script or a test says.
// Everything happens on the thread that created it.
class FlashStandIn final : public FlashInterfaceDefaults,
                           public IOleObject,
                           public IOleInPlaceObject,
                           public IConnectionPointContainer,
                           public IPersistStorage,
                           public IFlashStandIn,
                           private MessageWindow::Handler {
public:
    // Answers the interface with one reference, or the error.
    static HRESULT create(REFIID riid, void** object);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the host calls through the vtable only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IShockwaveFlash
    HRESULT STDMETHODCALLTYPE get_ReadyState(long* state) override;
    HRESULT STDMETHODCALLTYPE put_BackgroundColor(long color) override;
    HRESULT STDMETHODCALLTYPE put_Movie(BSTR movie) override;
    HRESULT STDMETHODCALLTYPE put_BGColor(BSTR color) override;
    HRESULT STDMETHODCALLTYPE SetVariable(BSTR name, BSTR value) override;
    HRESULT STDMETHODCALLTYPE GetVariable(BSTR name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE CallFunction(BSTR request, BSTR* response) override;
    HRESULT STDMETHODCALLTYPE SetReturnValue(BSTR returnValue) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite,
                                     LONG index, HWND parent, LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IPersistStorage: the platform's OleCreate initialises a new object.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE InitNew(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IStorage*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStorage*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return E_NOTIMPL; }

    // IFlashStandIn
    HRESULT STDMETHODCALLTYPE FireFlashCall(BSTR request, BSTR* returnValue) override;
    HRESULT STDMETHODCALLTYPE FireFSCommand(BSTR command, BSTR args) override;
    HRESULT STDMETHODCALLTYPE FireReadyStateChange(long state) override;
    HRESULT STDMETHODCALLTYPE FireProgress(long percent) override;
    HRESULT STDMETHODCALLTYPE SetFunctionAnswer(BSTR name, BSTR valueElement) override;
    HRESULT STDMETHODCALLTYPE SetFunctionFailure(BSTR name, HRESULT result) override;
    HRESULT STDMETHODCALLTYPE AddFunctionCallback(BSTR name, BSTR request) override;
    HRESULT STDMETHODCALLTYPE SetRequestIgnored(BSTR id, VARIANT_BOOL ignored) override;
    HRESULT STDMETHODCALLTYPE SetHang(VARIANT_BOOL hang) override;
    HRESULT STDMETHODCALLTYPE GetVariableWriteCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetVariableWrite(long index, BSTR* name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE GetFunctionCallCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetFunctionCall(long index, BSTR* name, BSTR* request) override;
    HRESULT STDMETHODCALLTYPE GetReturnValueCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetReturnValue(long index, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE GetShownLines(BSTR* lines) override;
    HRESULT STDMETHODCALLTYPE SetVariableFailure(BSTR name, HRESULT result) override;

private:
    FlashStandIn();
    ~FlashStandIn();

    void onMessage(UINT message, WPARAM wParam) override;

    HRESULT activate(IOleClientSite* site, HWND parent, LPCRECT rect);
    void deactivate();
    // Ends what the current movie still has planned.
    void stopMovie();
    void runLoadStep(size_t step, WPARAM generation);
    // Reports one loading step; false when the host loaded another movie or
    // closed the control meanwhile.
    bool reportLoadStep(size_t step, WPARAM generation);
    // The whole load and the first actions, before put_Movie returns.
    void loadAtOnce(WPARAM generation);
    void startActions(WPARAM generation);
    void planAction(const MovieScript::Action& action);
    // Whether a reaction or an answer with this delay runs inside the write:
    // only when the control is eager and the movie could run it now.
    bool runsInsideTheWrite(DWORD delayMs) const;
    // Inside the write or planned.
    void reactTo(const MovieScript::Action& action);
    void runAction(const MovieScript::Action& action);
    void fireEvent(const std::wstring& serviceId, const std::wstring& eventId);
    void answerRequest(const std::wstring& document);
    void setHang(bool hang);

    // One transcript entry; the window shows the last one.
    void record(const wchar_t* kind, const std::vector<std::wstring>& fields);

    bool fireFlashCall(const std::wstring& request, std::wstring* returnValue);
    void fireFsCommand(const std::wstring& command, const std::wstring& args);
    void fireLong(DISPID event, long value);
    // Fires one event while the movie counts as busy.
    void fire(DISPID event, VARIANTARG* args, UINT count);

    LONG myReferences = 1;
    EventConnectionPoint myConnectionPoint;
    MessageWindow myMessages;
    StandInView myView;
    MovieState myMovie;

    IOleClientSite* myClientSite = nullptr;
    IOleInPlaceSite* myInPlaceSite = nullptr;

    long myReadyState = ShockwaveFlashObjects::FLASH_READYSTATE_UNINITIALIZED;
    std::vector<MovieScript::Action> myActions;
    // Each load counts up; work of an earlier load that is still running
    // stops when it sees another number.
    WPARAM myGeneration = 0;
    MovieSchedule mySchedule;
    Transcript myTranscript;
    // One slot per FlashCall being fired, innermost last.
    std::vector<std::optional<std::wstring>> myReturnSlots;
    // Variables whose writes fail, with their HRESULT.
    std::map<std::wstring, HRESULT> myVariableFailures;
    // From FLASH_STANDIN_EAGER at creation: as eager as a real control may be.
    bool myEagerLoad = false;
    bool myEagerSet = false;
};

} // namespace standin
