#pragma once
// A bounded first-in first-out queue between threads, reached through handles.
//
// make_bounded_queue<T>(capacity) returns one Sender and one Receiver. Senders are copyable (each
// copy counts as a sender); the Receiver is move-only. The queue closes for good when the last
// Sender or the Receiver is destroyed:
//   - once the Receiver is gone, every send reports Closed and a blocked push wakes up;
//   - once every Sender is gone, the Receiver still gets the items already queued, then Closed.
//
// The UI thread uses only the non-blocking calls (offer, take_if_present); workers may block
// (push, take, take_for). The Receiver also exposes an eventfd that is readable exactly while an
// item is waiting or the queue is closed, so a poll()-based worker can wait on its socket and its
// queue at once. No lock is held while the caller runs its own code.

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace remote::sync {

enum class SendStatus { Ok, Full, Closed };
enum class TakeStatus { Item, Empty, Closed };

template <class T>
struct Taken {
    TakeStatus status = TakeStatus::Empty;
    std::optional<T> item;  // set exactly when status == Item
};

template <class T>
class Sender;
template <class T>
class Receiver;
template <class T>
std::pair<Sender<T>, Receiver<T>> make_bounded_queue(std::size_t capacity);

namespace detail {

template <class T>
class QueueState {
  public:
    explicit QueueState(std::size_t capacity)
        : capacity_(capacity == 0 ? 1 : capacity), fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~QueueState() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    QueueState(const QueueState&) = delete;
    QueueState& operator=(const QueueState&) = delete;

    SendStatus offer(T&& value) {
        std::lock_guard lock(mutex_);
        if (closed_locked()) {
            return SendStatus::Closed;
        }
        if (items_.size() >= capacity_) {
            return SendStatus::Full;
        }
        enqueue_locked(std::move(value));
        return SendStatus::Ok;
    }

    SendStatus push(T&& value) {
        std::unique_lock lock(mutex_);
        not_full_.wait(lock, [&] { return closed_locked() || items_.size() < capacity_; });
        if (closed_locked()) {
            return SendStatus::Closed;
        }
        enqueue_locked(std::move(value));
        return SendStatus::Ok;
    }

    Taken<T> take_if_present() {
        std::lock_guard lock(mutex_);
        return dequeue_locked();
    }

    Taken<T> take_until(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        not_empty_.wait_until(lock, deadline, [&] { return !items_.empty() || senders_ == 0; });
        return dequeue_locked();
    }

    Taken<T> take() {
        std::unique_lock lock(mutex_);
        not_empty_.wait(lock, [&] { return !items_.empty() || senders_ == 0; });
        return dequeue_locked();
    }

    void add_sender() {
        std::lock_guard lock(mutex_);
        ++senders_;
    }

    void remove_sender() {
        std::lock_guard lock(mutex_);
        if (senders_ > 0 && --senders_ == 0) {
            signal_locked();
            not_empty_.notify_all();
        }
    }

    void drop_receiver() {
        std::lock_guard lock(mutex_);
        receiver_alive_ = false;
        items_.clear();
        not_full_.notify_all();
    }

    bool closed() const {
        std::lock_guard lock(mutex_);
        return closed_locked();
    }

    std::size_t size() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }

    std::size_t capacity() const { return capacity_; }
    int event_fd() const { return fd_; }

  private:
    bool closed_locked() const { return senders_ == 0 || !receiver_alive_; }

    void enqueue_locked(T&& value) {
        items_.push_back(std::move(value));
        signal_locked();
        not_empty_.notify_one();
    }

    Taken<T> dequeue_locked() {
        Taken<T> out;
        if (!items_.empty()) {
            out.status = TakeStatus::Item;
            out.item.emplace(std::move(items_.front()));
            items_.pop_front();
            not_full_.notify_one();
        } else if (senders_ == 0) {
            out.status = TakeStatus::Closed;
        }
        if (items_.empty() && senders_ > 0) {
            unsignal_locked();
        }
        return out;
    }

    void signal_locked() {
        if (!signaled_ && fd_ >= 0) {
            const std::uint64_t one = 1;
            signaled_ = ::write(fd_, &one, sizeof one) == static_cast<ssize_t>(sizeof one);
        }
    }

    void unsignal_locked() {
        if (signaled_ && fd_ >= 0) {
            std::uint64_t value = 0;
            signaled_ = ::read(fd_, &value, sizeof value) != static_cast<ssize_t>(sizeof value);
        }
    }

    const std::size_t capacity_;
    const int fd_;
    mutable std::mutex mutex_;
    std::condition_variable not_empty_;
    std::condition_variable not_full_;
    std::deque<T> items_;
    std::size_t senders_ = 1;
    bool receiver_alive_ = true;
    bool signaled_ = false;
};

}  // namespace detail

template <class T>
class Sender {
  public:
    Sender(const Sender& other) : state_(other.state_) {
        if (state_) {
            state_->add_sender();
        }
    }
    Sender(Sender&& other) noexcept : state_(std::move(other.state_)) {}
    Sender& operator=(Sender other) noexcept {
        std::swap(state_, other.state_);
        return *this;
    }
    ~Sender() { reset(); }

    // Queues the value if there is room; never waits. The value is dropped unless Ok.
    SendStatus offer(T value) {
        return state_ ? state_->offer(std::move(value)) : SendStatus::Closed;
    }
    // Waits for room; returns Closed (dropping the value) if the receiver goes away first.
    SendStatus push(T value) {
        return state_ ? state_->push(std::move(value)) : SendStatus::Closed;
    }
    bool closed() const { return !state_ || state_->closed(); }
    // Gives up this handle now, as destroying it would.
    void reset() {
        if (state_) {
            state_->remove_sender();
            state_.reset();
        }
    }

  private:
    friend std::pair<Sender<T>, Receiver<T>> make_bounded_queue<T>(std::size_t capacity);
    explicit Sender(std::shared_ptr<detail::QueueState<T>> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::QueueState<T>> state_;
};

template <class T>
class Receiver {
  public:
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;
    Receiver(Receiver&& other) noexcept : state_(std::move(other.state_)) {}
    Receiver& operator=(Receiver&& other) noexcept {
        if (this != &other) {
            reset();
            state_ = std::move(other.state_);
        }
        return *this;
    }
    ~Receiver() { reset(); }

    // The oldest item, or Empty, or Closed once every sender is gone and nothing is left.
    Taken<T> take_if_present() { return state_ ? state_->take_if_present() : closed_take(); }
    // Waits until an item arrives or the queue closes; Empty never comes back.
    Taken<T> take() { return state_ ? state_->take() : closed_take(); }
    // Like take, but gives Empty when the timeout passes first.
    template <class Rep, class Period>
    Taken<T> take_for(std::chrono::duration<Rep, Period> timeout) {
        if (!state_) {
            return closed_take();
        }
        return state_->take_until(std::chrono::steady_clock::now() + timeout);
    }
    // True once every sender is gone (items may still be waiting).
    bool closed() const { return !state_ || state_->closed(); }
    std::size_t size() const { return state_ ? state_->size() : 0; }
    // Readable while an item waits or the queue is closed; never read it directly. -1 when the
    // system could not create one (the blocking calls still work).
    int event_fd() const { return state_ ? state_->event_fd() : -1; }
    void reset() {
        if (state_) {
            state_->drop_receiver();
            state_.reset();
        }
    }

  private:
    friend std::pair<Sender<T>, Receiver<T>> make_bounded_queue<T>(std::size_t capacity);
    explicit Receiver(std::shared_ptr<detail::QueueState<T>> state) : state_(std::move(state)) {}
    static Taken<T> closed_take() { return Taken<T>{TakeStatus::Closed, std::nullopt}; }
    std::shared_ptr<detail::QueueState<T>> state_;
};

template <class T>
std::pair<Sender<T>, Receiver<T>> make_bounded_queue(std::size_t capacity) {
    // A capacity of 0 is taken as 1: a queue that can never hold an item would only ever be full.
    auto state = std::make_shared<detail::QueueState<T>>(capacity);
    return {Sender<T>(state), Receiver<T>(state)};
}

}  // namespace remote::sync
