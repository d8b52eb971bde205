#include "product/LocationSensing.h"

#include "product/CLocationCallback.h"

#include <wrl/client.h>

#include <new>

using Microsoft::WRL::ComPtr;

namespace location {

HRESULT waitForLocationReport(ILocation* location, REFIID reportType, int timeoutMs, ILocationReport** report)
{
    *report = nullptr;
    CLocationCallback* callback = new (std::nothrow) CLocationCallback();
    if (!callback)
        return E_OUTOFMEMORY;
    if (!callback->getEvent()) {
        callback->Release();
        return E_FAIL;
    }
    HRESULT result = location->RegisterForReport(callback, reportType, 0);
    if (SUCCEEDED(result)) {
        HANDLE event = callback->getEvent();
        DWORD index = 0;
        const DWORD timeout = timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0;
        const HRESULT waited = CoWaitForMultipleHandles(0, timeout, 1, &event, &index);
        if (waited == S_OK || waited == RPC_S_CALLPENDING) {
            // A report already there is taken also after the time-out.
            result = location->GetReport(reportType, report);
            if (FAILED(result) && waited == RPC_S_CALLPENDING)
                result = RPC_S_CALLPENDING;
        } else {
            result = waited;
        }
        location->UnregisterForReport(reportType);
    }
    callback->Release();
    return result;
}

Fix detectLocation(int timeoutMs)
{
    Fix fix;
    ComPtr<ILocation> location;
    if (FAILED(CoCreateInstance(CLSID_Location, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                IID_ILocation, reinterpret_cast<void**>(location.GetAddressOf()))))
        return fix;
    IID reportTypes[] = {IID_ILatLongReport};
    if (FAILED(location->RequestPermissions(nullptr, reportTypes, 1, TRUE))) {
        fix.outcome = Fix::ACCESS_DENIED;
        return fix;
    }
    ComPtr<ILocationReport> report;
    const HRESULT waited = waitForLocationReport(location.Get(), IID_ILatLongReport, timeoutMs,
                                                 report.GetAddressOf());
    if (FAILED(waited)) {
        fix.outcome = waited == RPC_S_CALLPENDING ? Fix::TIMEOUT : Fix::INTERNAL;
        return fix;
    }
    ComPtr<ILatLongReport> latLong;
    double latitude = 0;
    double longitude = 0;
    if (!report || FAILED(report.As(&latLong)) || FAILED(latLong->GetLatitude(&latitude))
        || FAILED(latLong->GetLongitude(&longitude)))
        return fix;
    fix.outcome = Fix::SUCCESS;
    fix.latitude = latitude;
    fix.longitude = longitude;
    return fix;
}

} // namespace location
