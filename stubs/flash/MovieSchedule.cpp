#include "MovieSchedule.h"

#include <algorithm>

namespace standin {

void MovieSchedule::plan(DWORD delayMs, Work work, bool evenWhileHanging)
{
    const ULONGLONG due = GetTickCount64() + delayMs;
    auto after = std::upper_bound(myItems.begin(), myItems.end(), due,
                                  [](ULONGLONG time, const Item& item) { return time < item.due; });
    myItems.insert(after, Item{due, std::move(work), evenWhileHanging});
    wake();
}

void MovieSchedule::clear()
{
    myItems.clear();
    myHang = false;
    myWindow.stopTimer(kTimerId);
}

void MovieSchedule::setHang(bool hang)
{
    myHang = hang;
    wake();
}

void MovieSchedule::leaveEvent()
{
    if (--myEvents == 0)
        wake();
}

bool MovieSchedule::canRunNow() const
{
    if (myEvents > 0 || myHang)
        return false;
    const size_t next = nextItem();
    return next >= myItems.size() || myItems[next].due > GetTickCount64();
}

size_t MovieSchedule::nextItem() const
{
    for (size_t i = 0; i < myItems.size(); ++i) {
        if (!myHang || myItems[i].evenWhileHanging)
            return i;
    }
    return std::vector<Item>::size_type(-1);
}

void MovieSchedule::onWake()
{
    myWakePosted = false;
    myWindow.stopTimer(kTimerId);
    if (myEvents > 0)
        return;
    const size_t next = nextItem();
    if (next < myItems.size() && myItems[next].due <= GetTickCount64()) {
        // Taken out first: the work may plan more, or clear everything.
        const Work work = std::move(myItems[next].work);
        myItems.erase(myItems.begin() + static_cast<std::ptrdiff_t>(next));
        work();
    }
    wake();
}

// Posts for an item that is due, sets the timer for one that is not; the
// message of a busy movie waits until it is no longer busy.
void MovieSchedule::wake()
{
    if (myEvents > 0 || myWakePosted)
        return;
    const size_t next = nextItem();
    if (next >= myItems.size())
        return;
    const ULONGLONG now = GetTickCount64();
    if (myItems[next].due <= now) {
        myWakePosted = myWindow.post(kWakeMessage, 0);
        return;
    }
    myWindow.startTimer(kTimerId, static_cast<DWORD>(myItems[next].due - now));
}

} // namespace standin
