#pragma once

#include <windows.h>
#include <ole2.h>

namespace swfWindow {

class OleClientSite;
class OleInPlaceFrame;

// Lets the control activate in place inside the hosting window. Counts no
// references: its window deletes it, and it deletes its frame.
class OleInPlaceSite : public IOleInPlaceSite {
public:
    explicit OleInPlaceSite(HWND window);
    virtual ~OleInPlaceSite();
    OleInPlaceSite(const OleInPlaceSite&) = delete;
    OleInPlaceSite& operator=(const OleInPlaceSite&) = delete;

    void setClientSite(OleClientSite* clientSite) { myClientSite = clientSite; }
    // Not owned: the window holds the control.
    void setOleObject(IOleObject* object) { myOleObject = object; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

private:
    OleClientSite* myClientSite = nullptr;
    OleInPlaceFrame* myFrame;
    IOleObject* myOleObject = nullptr;
    HWND myWindow;
};

} // namespace swfWindow
