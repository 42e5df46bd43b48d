#include "kr/base/name_lib.h"

#include <gtest/gtest.h>

#include <string>

#include "kr/base/named_resource.h"

namespace {

struct Item : KR::NamedResource {
    static int alive;
    Item() { ++alive; }
    ~Item() { --alive; }
};
int Item::alive = 0;

// The list as its items' letters, from the head and (reversed) from the tail.
std::string Walk(const KR::NameLib<Item>& lib, const Item* a) {
    std::string forward, backward;
    for (auto* e = lib.head; e; e = e->next)
        forward += char('a' + (e->data - a));
    for (auto* e = lib.tail; e; e = e->prev)
        backward.insert(backward.begin(), char('a' + (e->data - a)));
    EXPECT_EQ(forward, backward);
    return forward;
}

TEST(NameLib, IterationRestartsOnlyAfterRunningOffTheEnd) {
    KR::NameLib<Item> lib("class Item");
    Item items[3];
    EXPECT_EQ(lib.First(), nullptr);
    for (Item& item : items)
        lib.add(&item);
    EXPECT_EQ(lib.Count(), 3);
    EXPECT_EQ(lib.First(), &items[0]);
    EXPECT_EQ(lib.Next(), &items[1]);
    EXPECT_EQ(lib.Next(), &items[2]);
    EXPECT_EQ(lib.Next(), nullptr);
    EXPECT_EQ(lib.cursor, nullptr);
    EXPECT_EQ(lib.Next(), nullptr);  // restarts at the head
    EXPECT_EQ(lib.cursor, lib.head);
    EXPECT_EQ(lib.Next(), &items[1]);
}

TEST(NameLib, RemoveRelinksAndMovesTheCursorOn) {
    KR::NameLib<Item> lib("class Item");
    Item items[4], stranger;
    Item *a = &items[0], *b = &items[1], *c = &items[2], *d = &items[3];
    for (Item& item : items)
        lib.add(&item);
    EXPECT_EQ(lib.remove(&stranger), -2);
    EXPECT_EQ(lib.remove(b), 1);
    EXPECT_EQ(lib.cursor->data, c);
    EXPECT_EQ(Walk(lib, a), "acd");
    EXPECT_EQ(lib.remove(a), 1);  // head
    EXPECT_EQ(Walk(lib, a), "cd");
    EXPECT_EQ(lib.remove(d), 1);  // tail
    EXPECT_EQ(lib.cursor, nullptr);
    EXPECT_EQ(Walk(lib, a), "c");
    EXPECT_EQ(lib.Count(), 1);
    EXPECT_EQ(lib.remove(c), 1);
    EXPECT_EQ(Walk(lib, a), "");
    EXPECT_EQ(lib.head, nullptr);
    EXPECT_EQ(lib.tail, nullptr);
    EXPECT_EQ(lib.First(), nullptr);
}

TEST(NameLib, NamedAddOwnsUntilClearAndNamesAreCut) {
    {
        KR::NameLib<Item> lib("class Item");
        Item* first = lib.add("first");
        Item* second = lib.add(std::string(40, 'n').c_str());
        EXPECT_STREQ(first->name, "first");
        EXPECT_EQ(std::string(second->name), std::string(31, 'n'));
        EXPECT_EQ(Item::alive, 2);
        lib.clear();
        EXPECT_EQ(Item::alive, 0);
        EXPECT_EQ(lib.head, nullptr);
        EXPECT_EQ(lib.Count(), 0);
        Item kept;
        lib.add(&kept);
    }  // destruction frees the elements, not the objects
    EXPECT_EQ(Item::alive, 0);

    Item named;
    EXPECT_EQ(named.SetName(std::string(40, 'x').c_str()), 1);
    EXPECT_EQ(std::string(named.name), std::string(31, 'x'));
    EXPECT_EQ(named.SetName("short"), 1);
    EXPECT_STREQ(named.name, "short");
}

}  // namespace
