#pragma once

#include "util/Scoped.h"

#include <windows.h>
#include <locationapi.h>

// Wakes the wait for a location report: set on every new report and when
// the report starts running. The platform may call it on its own threads,
// so it does nothing but set its event and count its references.
class CLocationCallback : public ILocationEvents {
public:
    CLocationCallback();
    CLocationCallback(const CLocationCallback&) = delete;
    CLocationCallback& operator=(const CLocationCallback&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE OnLocationChanged(REFIID reportType, ILocationReport* report) override;
    HRESULT STDMETHODCALLTYPE OnStatusChanged(REFIID reportType, LOCATION_REPORT_STATUS newStatus) override;

    // Auto-reset; null when it could not be made.
    HANDLE getEvent() const { return myEvent.get(); }

private:
    // Only Release deletes it.
    virtual ~CLocationCallback() = default;

    LONG myReferences = 1;
    par::ScopedHandle myEvent;
};
