#include "LocationStandIn.h"

#include "util/ExceptionUtil.h"

#include <atomic>
#include <thread>

namespace standin {

namespace {

LocationScript theScript;
std::atomic<long> theLiveObjects{0};
std::atomic<long> theOpenRegistrations{0};

// Reference counting and the live-object count for every stand-in object.
template <typename Interface>
class Counted : public Interface {
public:
    Counted() { ++theLiveObjects; }
    virtual ~Counted() { --theLiveObjects; }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++myReferences; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG references = --myReferences;
        if (references == 0)
            delete this;
        return references;
    }

private:
    std::atomic<ULONG> myReferences{1};
};

class LatLongReport : public Counted<ILatLongReport> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_ILocationReport || iid == IID_ILatLongReport) {
            AddRef();
            *object = static_cast<ILatLongReport*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetSensorID(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimestamp(SYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetValue(const PROPERTYKEY&, PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLatitude(double* latitude) override
    {
        if (SUCCEEDED(theScript.getters))
            *latitude = theScript.latitude;
        return theScript.getters;
    }
    HRESULT STDMETHODCALLTYPE GetLongitude(double* longitude) override
    {
        if (SUCCEEDED(theScript.getters))
            *longitude = theScript.longitude;
        return theScript.getters;
    }
    HRESULT STDMETHODCALLTYPE GetErrorRadius(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAltitude(double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAltitudeError(double*) override { return E_NOTIMPL; }
};

// Only latitude/longitude reports, one registration at a time.
class Location : public Counted<ILocation> {
public:
    ~Location() override { UnregisterForReport(IID_ILatLongReport); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_ILocation) {
            AddRef();
            *object = static_cast<ILocation*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE RegisterForReport(ILocationEvents* events, REFIID reportType, DWORD) override
    {
        if (!events || reportType != IID_ILatLongReport || myEvents)
            return E_INVALIDARG;
        if (FAILED(theScript.registration))
            return theScript.registration;
        return par::callGuarded("Location::RegisterForReport()", E_UNEXPECTED, [&]() -> HRESULT {
            ++theOpenRegistrations;
            myRegisteredAt = GetTickCount64();
            myEvents = events;
            myEvents->AddRef();
            myStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            myNotifier = std::thread([this] { par::callGuarded("Location notifier", [this] { notify(); }); });
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE UnregisterForReport(REFIID reportType) override
    {
        if (reportType != IID_ILatLongReport || !myEvents)
            return E_INVALIDARG;
        SetEvent(myStop);
        myNotifier.join();
        CloseHandle(myStop);
        myEvents->Release();
        myEvents = nullptr;
        --theOpenRegistrations;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetReport(REFIID reportType, ILocationReport** report) override
    {
        *report = nullptr;
        if (reportType != IID_ILatLongReport)
            return E_INVALIDARG;
        if (!hasReport())
            return HRESULT_FROM_WIN32(ERROR_NO_DATA);
        if (FAILED(theScript.getReport))
            return theScript.getReport;
        return par::callGuarded("Location::GetReport()", E_OUTOFMEMORY, [&]() -> HRESULT {
            *report = new LatLongReport();
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetReportStatus(REFIID, LocationReportStatus*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetReportInterval(REFIID, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetReportInterval(REFIID, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesiredAccuracy(REFIID, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDesiredAccuracy(REFIID, int) override { return E_NOTIMPL; }

    // Asked for exactly the latitude/longitude report, modally.
    HRESULT STDMETHODCALLTYPE RequestPermissions(HWND, IID reportTypes[], ULONG count, BOOL modal) override
    {
        if (count != 1 || !reportTypes || reportTypes[0] != IID_ILatLongReport || !modal)
            return E_INVALIDARG;
        return theScript.permission;
    }

private:
    bool hasReport() const
    {
        return theScript.reportDelayMs >= 0
               && GetTickCount64() - myRegisteredAt >= static_cast<ULONGLONG>(theScript.reportDelayMs);
    }

    // As the platform does, from a thread of its own: the report starts
    // (a status the sink must not take for a report), then runs and a new
    // report arrives.
    void notify()
    {
        myEvents->OnStatusChanged(IID_ILatLongReport, REPORT_INITIALIZING);
        if (theScript.reportDelayMs < 0 || !theScript.notifies)
            return;
        if (WaitForSingleObject(myStop, static_cast<DWORD>(theScript.reportDelayMs)) != WAIT_TIMEOUT)
            return;
        myEvents->OnStatusChanged(IID_ILatLongReport, REPORT_RUNNING);
        LatLongReport* report = new LatLongReport();
        myEvents->OnLocationChanged(IID_ILatLongReport, report);
        report->Release();
    }

    ILocationEvents* myEvents = nullptr;
    ULONGLONG myRegisteredAt = 0;
    HANDLE myStop = nullptr;
    std::thread myNotifier;
};

class LocationFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Static: not reference counted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return par::callGuarded("LocationFactory::CreateInstance()", E_OUTOFMEMORY, [&]() -> HRESULT {
            Location* location = new Location();
            const HRESULT result = location->QueryInterface(iid, object);
            location->Release();
            return result;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

LocationFactory theFactory;

} // namespace

RegisteredLocationStandIn::RegisteredLocationStandIn(const LocationScript& script)
{
    theScript = script;
    if (FAILED(CoRegisterClassObject(CLSID_Location, &theFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &myCookie)))
        myCookie = 0;
}

RegisteredLocationStandIn::~RegisteredLocationStandIn()
{
    if (myCookie)
        CoRevokeClassObject(myCookie);
}

long RegisteredLocationStandIn::liveObjects()
{
    return theLiveObjects;
}

long RegisteredLocationStandIn::openRegistrations()
{
    return theOpenRegistrations;
}

} // namespace standin
