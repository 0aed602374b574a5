// The toolkit's process-wide tables of windows, kept apart from the window
// code so that their rules (capacity, reuse of free entries, search order)
// hold on every platform and are tested without a display:
//   - PendingDialogStack: dialogs being created, so that the dialog
//     procedure can bind a new window handle to its object;
//   - ModelessRegistry: modeless dialogs whose messages the pump hands to
//     the dialog manager;
//   - WindowList: the objects of subclassed windows.
// Handles are compared by value; a default-constructed Handle means none.
// Only the GUI thread touches them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace toolkit {

template <class Handle, class Object>
class PendingDialogStack {
public:
    static constexpr size_t kCapacity = 50;

    // Pushes an object whose window does not exist yet; false when the
    // stack is full.
    bool push(Object* object) {
        if (entries_.size() == kCapacity) return false;
        entries_.push_back(Entry{Handle{}, object});
        return true;
    }
    // Drops the top entry (the creating call has returned).
    void pop() {
        if (!entries_.empty()) entries_.pop_back();
    }
    // The object of handle h. A handle seen for the first time is bound to
    // the top entry when that entry has no handle yet: it is the window
    // that entry's call is creating. nullptr when neither applies.
    Object* objectFor(Handle h) {
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if (it->handle == h) return it->object;
        if (!entries_.empty() && entries_.back().handle == Handle{}) {
            entries_.back().handle = h;
            return entries_.back().object;
        }
        return nullptr;
    }
    // Every handle bound so far, newest first.
    std::vector<Handle> handles() const {
        std::vector<Handle> out;
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if (it->handle != Handle{}) out.push_back(it->handle);
        return out;
    }
    size_t size() const { return entries_.size(); }

private:
    struct Entry {
        Handle handle;
        Object* object;
    };
    std::vector<Entry> entries_;
};

template <class Handle>
class ModelessRegistry {
public:
    static constexpr size_t kSlots = 200;

    // REGDIALOG: takes the first free slot; false when all are taken.
    bool add(Handle h) {
        for (size_t i = 0; i < kSlots; ++i) {
            if (slots_[i] == Handle{}) {
                slots_[i] = h;
                if (!highest_ || i > *highest_) highest_ = i;
                return true;
            }
        }
        return false;
    }
    // CANREGDIALOG: whether a slot is free.
    bool canAdd() const {
        for (const Handle& s : slots_)
            if (s == Handle{}) return true;
        return false;
    }
    // DEREGDIALOG: frees h's slot and lowers the highest index to the last
    // slot still used.
    void remove(Handle h) {
        if (h == Handle{}) return;
        for (Handle& s : slots_)
            if (s == h) s = Handle{};
        if (lastMatched_ == h) lastMatched_ = Handle{};
        while (highest_ && slots_[*highest_] == Handle{})
            highest_ = *highest_ == 0 ? std::nullopt : std::optional<size_t>(*highest_ - 1);
    }
    // Offers a message to the registered dialogs: the one that accepted last
    // first, then slots 0 up to the highest used. accept(h) answers whether
    // dialog h took the message; the first that does is remembered.
    template <class Accept>
    bool offer(Accept&& accept) {
        if (lastMatched_ != Handle{} && accept(lastMatched_)) return true;
        if (!highest_) return false;
        for (size_t i = 0; i <= *highest_; ++i) {
            const Handle h = slots_[i];
            if (h == Handle{} || h == lastMatched_) continue;
            if (accept(h)) {
                lastMatched_ = h;
                return true;
            }
        }
        return false;
    }
    std::optional<size_t> highest() const { return highest_; }
    Handle lastMatched() const { return lastMatched_; }

private:
    std::array<Handle, kSlots> slots_{};
    std::optional<size_t> highest_;
    Handle lastMatched_{};
};

template <class T>
class WindowList {
public:
    static constexpr size_t kCapacity = 2000;

    // Enters t in the first free entry, growing the list only when none is
    // free; nothing when the list is full.
    std::optional<size_t> add(T t) {
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (!entries_[i]) {
                entries_[i] = std::move(t);
                return i;
            }
        }
        if (entries_.size() == kCapacity) return std::nullopt;
        entries_.push_back(std::move(t));
        return entries_.size() - 1;
    }
    void remove(size_t index) {
        if (index < entries_.size()) entries_[index].reset();
    }
    // The entry at index; nullptr when it is free or out of range.
    T* at(size_t index) {
        return index < entries_.size() && entries_[index] ? &*entries_[index] : nullptr;
    }
    // The first used entry for which pred holds.
    template <class Pred>
    std::optional<size_t> find(Pred&& pred) const {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i] && pred(*entries_[i])) return i;
        return std::nullopt;
    }
    size_t size() const { return entries_.size(); }

private:
    std::vector<std::optional<T>> entries_;  // empty = free
};

}  // namespace toolkit
