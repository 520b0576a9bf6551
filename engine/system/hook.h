// Hook lists: numbered chains of callbacks through which the engine passes objects.
//
// Events reach the polled-input state this way, and the graphics layer runs its flip hook
// this way. There are 256 lists; ids are handed out once per process by NewHookId. A hook
// list is sorted by falling priority, equal priorities keeping their insertion order, and
// each hook's result becomes the data handed to the next hook.
#pragma once

#include <memory>
#include <string>

// The base of every object that travels through a hook list or rides in an event.
class TObject {
  public:
    virtual ~TObject() = default;
    virtual std::string ToString() const { return std::string(); }
};

// A text carried as an object (an event's `extra` may be one).
class TStringObject : public TObject {
  public:
    explicit TStringObject(std::string text) : value(std::move(text)) {}
    std::string ToString() const override { return value; }
    std::string value;
};

using TObjectPtr = std::shared_ptr<TObject>;

// A hook is called with its list id, the data so far and its own context; it returns the
// data for the next hook (returning `data` unchanged passes it on).
using THookFunction = TObjectPtr (*)(int id, const TObjectPtr& data, void* context);

struct THook {
    std::shared_ptr<THook> succ;
    int priority = 0;
    THookFunction func = nullptr;
    void* context = nullptr;
};

// Number of hook lists, and so of hook ids.
constexpr int HOOK_LIST_COUNT = 256;

// A set of 256 hook lists with its own id counter. The process has one, used by the free
// functions below; tests may make their own.
class THookLists {
  public:
    // The next unused id, starting at 0; raises "Too many hook ids" past 255.
    int NewHookId();
    // Inserts after every hook whose priority is >= `priority`. Ids outside 0-255 are ignored.
    void InsertHook(int id, THookFunction func, void* context, int priority);
    // Removes the first hook with this function and context; absent hooks are ignored.
    void DeleteHook(int id, THookFunction func, void* context);
    // Calls each hook of list `id` in order, feeding each result to the next; returns the
    // last result (`data` itself when the list is empty or the id is out of range).
    // A hook may insert or delete hooks, itself included, while the list runs.
    TObjectPtr CallHooks(int id, TObjectPtr data);

  private:
    int counter_ = -1;
    std::shared_ptr<THook> lists_[HOOK_LIST_COUNT];
};

// The process-wide hook lists.
THookLists& ProcessHookLists();

int NewHookId();
void InsertHook(int id, THookFunction func, void* context = nullptr, int priority = 0);
void DeleteHook(int id, THookFunction func, void* context = nullptr);
TObjectPtr CallHooks(int id, TObjectPtr data);
