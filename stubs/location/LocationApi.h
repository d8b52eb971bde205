#pragma once

// The part of the Windows Location API that the programs use, declared here
// for the stand-in: the interfaces in their slot order and their ids.
#include <windows.h>
#include <propidl.h>

namespace standin {

enum LocationReportStatus {
    REPORT_NOT_SUPPORTED = 0,
    REPORT_ERROR = 1,
    REPORT_ACCESS_DENIED = 2,
    REPORT_INITIALIZING = 3,
    REPORT_RUNNING = 4,
};

struct ILocationReport : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSensorID(GUID* sensorId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimestamp(SYSTEMTIME* creationTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValue(const PROPERTYKEY& key, PROPVARIANT* value) = 0;
};

struct ILatLongReport : ILocationReport {
    virtual HRESULT STDMETHODCALLTYPE GetLatitude(double* latitude) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLongitude(double* longitude) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetErrorRadius(double* errorRadius) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAltitude(double* altitude) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAltitudeError(double* altitudeError) = 0;
};

struct ILocationEvents : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnLocationChanged(REFIID reportType, ILocationReport* report) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStatusChanged(REFIID reportType, LocationReportStatus newStatus) = 0;
};

struct ILocation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE RegisterForReport(ILocationEvents* events, REFIID reportType,
                                                        DWORD requestedInterval) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterForReport(REFIID reportType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReport(REFIID reportType, ILocationReport** report) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReportStatus(REFIID reportType, LocationReportStatus* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetReportInterval(REFIID reportType, DWORD* milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetReportInterval(REFIID reportType, DWORD milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDesiredAccuracy(REFIID reportType, int* accuracy) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDesiredAccuracy(REFIID reportType, int accuracy) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestPermissions(HWND parent, IID reportTypes[], ULONG count,
                                                         BOOL modal) = 0;
};

// {E5B8E079-EE6D-4E33-A438-C87F2E959254}
constexpr CLSID CLSID_Location =
    {0xe5b8e079, 0xee6d, 0x4e33, {0xa4, 0x38, 0xc8, 0x7f, 0x2e, 0x95, 0x92, 0x54}};
// {AB2ECE69-56D9-4F28-B525-DE1B0EE44237}
constexpr IID IID_ILocation =
    {0xab2ece69, 0x56d9, 0x4f28, {0xb5, 0x25, 0xde, 0x1b, 0x0e, 0xe4, 0x42, 0x37}};
// {CAE02BBF-798B-4508-A207-35A7906DC73D}
constexpr IID IID_ILocationEvents =
    {0xcae02bbf, 0x798b, 0x4508, {0xa2, 0x07, 0x35, 0xa7, 0x90, 0x6d, 0xc7, 0x3d}};
// {C8B7F7EE-75D0-4DB9-B62D-7A0F369CA456}
constexpr IID IID_ILocationReport =
    {0xc8b7f7ee, 0x75d0, 0x4db9, {0xb6, 0x2d, 0x7a, 0x0f, 0x36, 0x9c, 0xa4, 0x56}};
// {7FED806D-0EF8-4F07-80AC-36A0BEAE3134}
constexpr IID IID_ILatLongReport =
    {0x7fed806d, 0x0ef8, 0x4f07, {0x80, 0xac, 0x36, 0xa0, 0xbe, 0xae, 0x31, 0x34}};

} // namespace standin
