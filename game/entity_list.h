// The ordered, owning list that holds every game object of one kind (enemies, balls, effects).
//
// The game's passes rely on four properties, and this container exists to give exactly them:
// objects are appended at the end and a pass visits them first to last; an object may remove
// itself (or any other element) while a pass is visiting it, and the pass carries on with the
// next live element; an object appended during a pass is visited by that same pass; removing
// an object that is not in the list does nothing. While a pass runs, removed elements only
// leave a dead slot behind, so no iterator ever dangles; the slots are swept when the
// outermost pass over the list ends. The list owns its objects: removal drops the list's
// reference at once, and the pass keeps the visited object alive until its visit returns.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <utility>
#include <vector>

template <class T>
class tEntityList {
  public:
    tEntityList() = default;
    tEntityList(const tEntityList&) = delete;
    tEntityList& operator=(const tEntityList&) = delete;

    // Adds `object` at the end. A null object is ignored.
    void append(std::shared_ptr<T> object) {
        if (!object) return;
        slots_.push_back(std::move(object));
        ++count_;
    }

    // Removes `object` if it is in the list; returns whether it was.
    bool remove(const T* object) {
        if (object == nullptr) return false;
        for (auto it = slots_.begin(); it != slots_.end(); ++it) {
            if (it->get() != object) continue;
            --count_;
            if (passes_ > 0) {
                it->reset();
            } else {
                slots_.erase(it);
            }
            return true;
        }
        return false;
    }
    template <class U>
    bool remove(const std::shared_ptr<U>& object) {
        return remove(static_cast<const T*>(object.get()));
    }

    bool contains(const T* object) const {
        if (object == nullptr) return false;
        for (const auto& slot : slots_) {
            if (slot.get() == object) return true;
        }
        return false;
    }
    template <class U>
    bool contains(const std::shared_ptr<U>& object) const {
        return contains(static_cast<const T*>(object.get()));
    }

    // Number of live objects.
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // A pass: calls visit(object) for each live object from first to last, where object is a
    // std::shared_ptr<T> that stays valid for the whole call even if the object is removed.
    template <class Visit>
    void forEach(Visit&& visit) {
        PassGuard guard(*this);
        // std::list iterators survive appends, and no slot is erased while a pass runs.
        for (auto it = slots_.begin(); it != slots_.end(); ++it) {
            if (!*it) continue;
            std::shared_ptr<T> object = *it;
            visit(object);
        }
    }

    // The live objects in order, for inspection.
    std::vector<std::shared_ptr<T>> items() const {
        std::vector<std::shared_ptr<T>> out;
        out.reserve(count_);
        for (const auto& slot : slots_) {
            if (slot) out.push_back(slot);
        }
        return out;
    }

    // The first live object, or null.
    std::shared_ptr<T> first() const {
        for (const auto& slot : slots_) {
            if (slot) return slot;
        }
        return nullptr;
    }

  private:
    struct PassGuard {
        explicit PassGuard(tEntityList& list) : list_(list) { ++list_.passes_; }
        ~PassGuard() {
            if (--list_.passes_ == 0) list_.slots_.remove(nullptr);
        }
        PassGuard(const PassGuard&) = delete;
        PassGuard& operator=(const PassGuard&) = delete;
        tEntityList& list_;
    };

    std::list<std::shared_ptr<T>> slots_;
    std::size_t count_ = 0;
    int passes_ = 0;
};
