#pragma once

#include "LocationApi.h"

namespace standin {

// What the stand-in Location object does, set by a test before the program
// asks for a location.
struct LocationScript {
    HRESULT permission = S_OK;   // the answer of RequestPermissions
    HRESULT registration = S_OK; // the answer of RegisterForReport
    // A report exists this long after the registration; below 0 never.
    int reportDelayMs = 0;
    // Whether the registered sink hears of the report (from another thread).
    bool notifies = true;
    HRESULT getReport = S_OK; // the answer of GetReport once a report exists
    HRESULT getters = S_OK;   // the answer of GetLatitude and GetLongitude
    double latitude = 0;
    double longitude = 0;
};

// Registers the stand-in for CLSID_Location in the calling apartment while
// it lives, playing the script. One at a time.
class RegisteredLocationStandIn {
public:
    explicit RegisteredLocationStandIn(const LocationScript& script);
    ~RegisteredLocationStandIn();
    RegisteredLocationStandIn(const RegisteredLocationStandIn&) = delete;
    RegisteredLocationStandIn& operator=(const RegisteredLocationStandIn&) = delete;

    bool isRegistered() const { return myCookie != 0; }
    // Location objects and reports not yet released.
    static long liveObjects();
    // Registrations for reports not yet unregistered.
    static long openRegistrations();

private:
    DWORD myCookie = 0;
};

} // namespace standin
