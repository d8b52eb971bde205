#pragma once

#include <windows.h>
#include <locationapi.h>

// One latitude/longitude fix from the Windows Location API, waited for at
// most the movie's time-out. Both run on the UI thread and keep its
// apartment's messages flowing while they wait.
namespace location {

// A time-out below 0 counts as 0: the wait must never be endless.
HRESULT waitForLocationReport(ILocation* location, REFIID reportType, int timeoutMs,
                              ILocationReport** report);

struct Fix {
    enum Outcome { SUCCESS, INTERNAL, ACCESS_DENIED, TIMEOUT };
    Outcome outcome = INTERNAL;
    // Degrees, set on success only.
    double latitude = 0;
    double longitude = 0;
};

Fix detectLocation(int timeoutMs);

} // namespace location
