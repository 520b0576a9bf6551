// Hook lists as singly linked chains: a running CallHooks holds the hook it is calling, so
// a hook that unlinks itself (or another) does not cut the walk short.
#include "engine/system/hook.h"

#include "engine/system/runtime_error.h"

namespace {

bool ValidId(int id) {
    return id >= 0 && id < HOOK_LIST_COUNT;
}

}  // namespace

int THookLists::NewHookId() {
    if (counter_ >= HOOK_LIST_COUNT - 1) RuntimeError("Too many hook ids");
    return ++counter_;
}

void THookLists::InsertHook(int id, THookFunction func, void* context, int priority) {
    if (!ValidId(id) || !func) return;
    auto hook = std::make_shared<THook>();
    hook->priority = priority;
    hook->func = func;
    hook->context = context;
    std::shared_ptr<THook>* link = &lists_[id];
    while (*link && (*link)->priority >= priority) link = &(*link)->succ;
    hook->succ = *link;
    *link = hook;
}

void THookLists::DeleteHook(int id, THookFunction func, void* context) {
    if (!ValidId(id)) return;
    for (std::shared_ptr<THook>* link = &lists_[id]; *link; link = &(*link)->succ) {
        if ((*link)->func == func && (*link)->context == context) {
            // The removed hook keeps its successor so a walk standing on it can go on.
            *link = (*link)->succ;
            return;
        }
    }
}

TObjectPtr THookLists::CallHooks(int id, TObjectPtr data) {
    if (!ValidId(id)) return data;
    for (std::shared_ptr<THook> hook = lists_[id]; hook; hook = hook->succ) {
        data = hook->func(id, data, hook->context);
    }
    return data;
}

THookLists& ProcessHookLists() {
    static THookLists lists;
    return lists;
}

int NewHookId() {
    return ProcessHookLists().NewHookId();
}

void InsertHook(int id, THookFunction func, void* context, int priority) {
    ProcessHookLists().InsertHook(id, func, context, priority);
}

void DeleteHook(int id, THookFunction func, void* context) {
    ProcessHookLists().DeleteHook(id, func, context);
}

TObjectPtr CallHooks(int id, TObjectPtr data) {
    return ProcessHookLists().CallHooks(id, std::move(data));
}
