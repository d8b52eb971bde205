#include "thread/ListenerList.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Listener {
    Listener(std::vector<int>* deleted, int id) : myDeleted(deleted), myId(id) {}
    virtual ~Listener()
    {
        if (myDeleted)
            myDeleted->push_back(myId);
    }
    std::vector<int>* myDeleted;
    int myId;
};

std::string thrownText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const char* text) {
        return text;
    }
    return "nothing thrown";
}

} // namespace

TEST(ListenerList, AddingTheSameListenerTwiceThrowsWhateverTheOwnership)
{
    Listener listener(nullptr, 1);
    par::ListenerList<Listener> list;
    list.add(&listener, false);
    EXPECT_EQ("Attempt to add the same listener for the second time.",
              thrownText([&] { list.add(&listener, false); }));
    EXPECT_EQ("Attempt to add the same listener for the second time.",
              thrownText([&] { list.add(&listener, true); }));
    EXPECT_EQ(1u, list.size());
}

TEST(ListenerList, RemovingAnUnknownOrRemovedListenerThrows)
{
    Listener listener(nullptr, 1);
    par::ListenerList<Listener> list;
    EXPECT_EQ("Attempt to remove listener that is not registered yet.",
              thrownText([&] { list.remove(&listener); }));
    list.add(&listener, false);
    list.remove(&listener);
    EXPECT_EQ("Attempt to remove listener that is not registered yet.",
              thrownText([&] { list.remove(&listener); }));
    EXPECT_TRUE(list.empty());
}

TEST(ListenerList, DestructionDeletesExactlyTheOwnedListenersInOrder)
{
    std::vector<int> deleted;
    Listener borrowed(nullptr, 2);
    {
        par::ListenerList<Listener> list;
        list.add(new Listener(&deleted, 3), true);
        list.add(&borrowed, false);
        list.add(new Listener(&deleted, 1), true);
    }
    EXPECT_EQ((std::vector<int>{3, 1}), deleted);
}

TEST(ListenerList, RemovedOwnedListenerIsNotDeleted)
{
    std::vector<int> deleted;
    Listener* owned = new Listener(&deleted, 1);
    {
        par::ListenerList<Listener> list;
        list.add(owned, true);
        list.remove(owned);
        EXPECT_TRUE(deleted.empty());
    }
    EXPECT_TRUE(deleted.empty());
    delete owned;
}

TEST(ListenerList, RemovingTheMiddleKeepsOrderAndOwnershipOfTheOthers)
{
    std::vector<int> deleted;
    Listener* first = new Listener(&deleted, 1);
    Listener middle(nullptr, 2);
    Listener last(&deleted, 3);
    {
        par::ListenerList<Listener> list;
        list.add(first, true);
        list.add(&middle, false);
        list.add(&last, false);
        list.remove(&middle);
        EXPECT_EQ((std::vector<Listener*>{first, &last}), list.listeners());
    }
    EXPECT_EQ((std::vector<int>{1}), deleted) << "only the owned first listener goes with the list";
}
