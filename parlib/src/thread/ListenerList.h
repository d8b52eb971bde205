#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace par {

// The listeners of one observable object, in the order of their addition.
// A listener handed over as owned is deleted when the list goes (never by
// remove). Misuse throws a plain text.
template <class L>
class ListenerList {
public:
    ListenerList() = default;
    ListenerList(const ListenerList&) = delete;
    ListenerList& operator=(const ListenerList&) = delete;

    ~ListenerList()
    {
        for (std::size_t i = 0; i < myListeners.size(); ++i) {
            if (myOwned[i])
                delete myListeners[i];
        }
    }

    void add(L* listener, bool owned)
    {
        if (indexOf(listener) != npos)
            throw "Attempt to add the same listener for the second time.";
        myListeners.push_back(listener);
        myOwned.push_back(owned);
    }

    void remove(L* listener)
    {
        const std::size_t index = indexOf(listener);
        if (index == npos)
            throw "Attempt to remove listener that is not registered yet.";
        myListeners.erase(myListeners.begin() + index);
        myOwned.erase(myOwned.begin() + index);
    }

    bool contains(L* listener) const { return indexOf(listener) != npos; }
    std::size_t size() const { return myListeners.size(); }
    bool empty() const { return myListeners.empty(); }
    const std::vector<L*>& listeners() const { return myListeners; }

    // A copy to notify from, so that a listener may add or remove listeners
    // while it is being told.
    std::vector<L*> snapshot() const { return myListeners; }

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::size_t indexOf(L* listener) const
    {
        auto found = std::find(myListeners.begin(), myListeners.end(), listener);
        return found == myListeners.end() ? npos : static_cast<std::size_t>(found - myListeners.begin());
    }

    std::vector<L*> myListeners;
    std::vector<bool> myOwned;
};

} // namespace par
