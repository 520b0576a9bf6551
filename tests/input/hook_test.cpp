#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/system/hook.h"
#include "engine/system/runtime_error.h"

namespace {

// Each hook appends its context's text to the string object it is handed, so the result
// shows the call order.
TObjectPtr AppendName(int, const TObjectPtr& data, void* context) {
    auto text = std::dynamic_pointer_cast<TStringObject>(data);
    return std::make_shared<TStringObject>((text ? text->value : "") +
                                           static_cast<const char*>(context));
}

std::string CallAll(THookLists& lists, int id) {
    auto result = lists.CallHooks(id, std::make_shared<TStringObject>(""));
    return result ? result->ToString() : "<null>";
}

struct TInsert {
    const char* name;
    int priority;
};

TEST(HookListsTest, SortedByFallingPriorityWithEqualsInInsertionOrder) {
    struct TCase {
        std::vector<TInsert> inserts;
        std::string order;
    } cases[] = {
        {{{"a", 0}, {"b", 0}, {"c", 0}}, "abc"},
        {{{"a", 0}, {"b", 5}, {"c", -5}}, "bac"},
        {{{"a", -10000}, {"b", 0}, {"c", 0}, {"d", 1}}, "dbca"},
        {{{"a", 3}, {"b", 3}, {"c", 7}, {"d", 3}}, "cabd"},
    };
    for (const auto& c : cases) {
        THookLists lists;
        int id = lists.NewHookId();
        for (const auto& insert : c.inserts) {
            lists.InsertHook(id, AppendName, const_cast<char*>(insert.name), insert.priority);
        }
        EXPECT_EQ(CallAll(lists, id), c.order);
    }
}

TEST(HookListsTest, DeleteRemovesOnlyTheFirstMatchOfFunctionAndContext) {
    THookLists lists;
    int id = lists.NewHookId();
    char a[] = "a", b[] = "b";
    lists.InsertHook(id, AppendName, a, 0);
    lists.InsertHook(id, AppendName, b, 0);
    lists.InsertHook(id, AppendName, a, 0);
    lists.DeleteHook(id, AppendName, a);
    EXPECT_EQ(CallAll(lists, id), "ba");
    lists.DeleteHook(id, AppendName, nullptr);  // no such context: nothing happens
    EXPECT_EQ(CallAll(lists, id), "ba");
    lists.DeleteHook(id, AppendName, b);
    lists.DeleteHook(id, AppendName, a);
    EXPECT_EQ(CallAll(lists, id), "");
}

TEST(HookListsTest, ListsAreSeparateAndEmptyListsPassDataThrough) {
    THookLists lists;
    int first = lists.NewHookId();
    int second = lists.NewHookId();
    char a[] = "a";
    lists.InsertHook(first, AppendName, a, 0);
    EXPECT_EQ(CallAll(lists, first), "a");
    EXPECT_EQ(CallAll(lists, second), "");
    EXPECT_EQ(lists.CallHooks(second, nullptr), nullptr);
    // Ids outside the 256 lists are ignored instead of indexing past the table.
    for (int bad : {-1, 256, 100000}) {
        lists.InsertHook(bad, AppendName, a, 0);
        lists.DeleteHook(bad, AppendName, a);
        EXPECT_EQ(CallAll(lists, bad), "");
    }
}

TEST(HookListsTest, IdsRunFromZeroTo255ThenRaise) {
    THookLists lists;
    for (int expected = 0; expected < 256; ++expected) ASSERT_EQ(lists.NewHookId(), expected);
    for (int again = 0; again < 2; ++again) {
        try {
            lists.NewHookId();
            FAIL() << "the 257th id was handed out";
        } catch (const TRuntimeError& error) {
            EXPECT_STREQ(error.what(), "Too many hook ids");
        }
    }
}

struct TSelfRemoving {
    THookLists* lists;
    int id;
    int calls = 0;
};

TObjectPtr RemoveSelf(int id, const TObjectPtr& data, void* context) {
    auto* self = static_cast<TSelfRemoving*>(context);
    ++self->calls;
    self->lists->DeleteHook(id, RemoveSelf, context);
    return data;
}

TEST(HookListsTest, AHookMayRemoveItselfWhileTheListRuns) {
    THookLists lists;
    int id = lists.NewHookId();
    TSelfRemoving remover{&lists, id};
    char a[] = "a", b[] = "b";
    lists.InsertHook(id, AppendName, a, 10);
    lists.InsertHook(id, RemoveSelf, &remover, 5);
    lists.InsertHook(id, AppendName, b, 0);
    EXPECT_EQ(CallAll(lists, id), "ab");  // the hook after the removed one still runs
    EXPECT_EQ(CallAll(lists, id), "ab");
    EXPECT_EQ(remover.calls, 1);
}

}  // namespace
