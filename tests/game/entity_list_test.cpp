// The owning list under the mutations the game's passes make while visiting it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/entity_list.h"

namespace {

struct Item {
    explicit Item(int id, int* alive = nullptr) : id(id), alive(alive) {
        if (alive) ++*alive;
    }
    ~Item() {
        if (alive) --*alive;
    }
    int id;
    int* alive;
};

using List = tEntityList<Item>;

std::vector<int> ids(const List& list) {
    std::vector<int> out;
    for (const auto& item : list.items()) out.push_back(item->id);
    return out;
}

// Builds a list 1..n and returns the items so a visitor can refer to them.
std::vector<std::shared_ptr<Item>> fill(List& list, int n) {
    std::vector<std::shared_ptr<Item>> items;
    for (int i = 1; i <= n; ++i) {
        items.push_back(std::make_shared<Item>(i));
        list.append(items.back());
    }
    return items;
}

TEST(EntityList, MutationsDuringAPass) {
    // Each case: what the visitor does when it meets an id, which ids the pass visits, and
    // what the list holds afterwards.
    struct Case {
        std::string name;
        std::function<void(List&, const std::vector<std::shared_ptr<Item>>&, int)> onVisit;
        std::vector<int> visited;
        std::vector<int> after;
    };
    const std::vector<Case> cases = {
        {"nothing", [](List&, const auto&, int) {}, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"every item removes itself",
         [](List& l, const auto& items, int id) { l.remove(items[id - 1].get()); },
         {1, 2, 3, 4},
         {}},
        {"item 2 removes itself",
         [](List& l, const auto& items, int id) {
             if (id == 2) l.remove(items[1].get());
         },
         {1, 2, 3, 4},
         {1, 3, 4}},
        {"item 2 removes the next item, which the pass then skips",
         [](List& l, const auto& items, int id) {
             if (id == 2) l.remove(items[2].get());
         },
         {1, 2, 4},
         {1, 2, 4}},
        {"item 3 removes an item already visited",
         [](List& l, const auto& items, int id) {
             if (id == 3) l.remove(items[0].get());
         },
         {1, 2, 3, 4},
         {2, 3, 4}},
        {"the last item appends one, which the same pass visits",
         [](List& l, const auto&, int id) {
             if (id == 4) l.append(std::make_shared<Item>(5));
         },
         {1, 2, 3, 4, 5},
         {1, 2, 3, 4, 5}},
        {"item 1 appends and then removes itself",
         [](List& l, const auto& items, int id) {
             if (id == 1) {
                 l.append(std::make_shared<Item>(9));
                 l.remove(items[0].get());
             }
         },
         {1, 2, 3, 4, 9},
         {2, 3, 4, 9}},
        {"removing the same item twice is harmless",
         [](List& l, const auto& items, int id) {
             if (id == 2) {
                 EXPECT_TRUE(l.remove(items[1].get()));
                 EXPECT_FALSE(l.remove(items[1].get()));
             }
         },
         {1, 2, 3, 4},
         {1, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        List list;
        const auto items = fill(list, 4);
        std::vector<int> visited;
        list.forEach([&](const std::shared_ptr<Item>& item) {
            visited.push_back(item->id);
            c.onVisit(list, items, item->id);
        });
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(ids(list), c.after);
        EXPECT_EQ(list.size(), c.after.size());
    }
}

TEST(EntityList, OwnsItsObjectsAndKeepsTheVisitedOneAlive) {
    int alive = 0;
    List list;
    list.append(std::make_shared<Item>(1, &alive));
    list.append(std::make_shared<Item>(2, &alive));
    ASSERT_EQ(alive, 2);

    // Removal ends the object once nothing else holds it, but not in the middle of its visit.
    list.forEach([&](const std::shared_ptr<Item>& item) {
        const Item* self = item.get();
        list.remove(self);
        EXPECT_EQ(self->id, item->id);  // still readable after removing itself
    });
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(list.empty());

    // Dropping the list ends everything it still holds.
    auto owned = std::make_shared<List>();
    owned->append(std::make_shared<Item>(3, &alive));
    owned.reset();
    EXPECT_EQ(alive, 0);
}

TEST(EntityList, NestedPassesOverOneListSeeTheSameMutations) {
    // An enemy's collision test runs a fresh pass over the ball list from inside another
    // pass; a ball removed by the inner pass must not be visited by the outer one.
    List list;
    auto items = fill(list, 4);
    std::vector<int> outer;
    std::map<int, std::vector<int>> inner;
    list.forEach([&](const std::shared_ptr<Item>& a) {
        outer.push_back(a->id);
        list.forEach([&](const std::shared_ptr<Item>& b) {
            inner[a->id].push_back(b->id);
            if (a->id == 1 && b->id == 3) list.remove(b);
        });
    });
    EXPECT_EQ(outer, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(inner[1], (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(inner[2], (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(ids(list), (std::vector<int>{1, 2, 4}));
}

}  // namespace
