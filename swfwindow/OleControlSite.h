#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

namespace swfWindow {

class OleClientSite;

// The control site: lets the control keep itself in-place active and tell
// of focus changes. Counts no references: its client site deletes it.
class OleControlSite : public IOleControlSite {
public:
    explicit OleControlSite(OleClientSite* clientSite);
    virtual ~OleControlSite() = default;
    OleControlSite(const OleControlSite&) = delete;
    OleControlSite& operator=(const OleControlSite&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) override;
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container,
                                              DWORD flags) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message, DWORD modifiers) override;
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL gotFocus) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;

private:
    OleClientSite* myClientSite;
};

} // namespace swfWindow
