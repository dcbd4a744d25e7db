#pragma once
// LatestCell<T>: one optional value under a mutex, shared between a worker and the UI thread.
// Writers replace the value; readers copy it out or take it. Only the latest value is kept, so
// the memory between threads stays bounded. The lock is held only for the copy, never across a
// caller's wait, and a cell never takes another lock while holding its own.

#include <mutex>
#include <optional>
#include <utility>

namespace remote::sync {

template <class T>
class LatestCell {
  public:
    LatestCell() = default;
    explicit LatestCell(T initial) : value_(std::move(initial)) {}
    LatestCell(const LatestCell&) = delete;
    LatestCell& operator=(const LatestCell&) = delete;

    void set(T value) {
        std::lock_guard lock(mutex_);
        value_ = std::move(value);
    }

    // A copy of the value, which stays in the cell.
    std::optional<T> get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }

    // The value, leaving the cell empty.
    std::optional<T> take() {
        std::lock_guard lock(mutex_);
        std::optional<T> out = std::move(value_);
        value_.reset();
        return out;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        value_.reset();
    }

    // Runs f(std::optional<T>&) under the lock, for a read-modify-write that must not interleave
    // with another writer. f must be short and must not block or touch another cell.
    template <class F>
    auto update(F&& f) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(value_);
    }

  private:
    mutable std::mutex mutex_;
    std::optional<T> value_;
};

}  // namespace remote::sync
