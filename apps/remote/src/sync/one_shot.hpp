#pragma once
// OneShot<T>: a single reply from one thread to another.
//
// make_one_shot<T>() returns a move-only OneShotSender and OneShotReceiver. The sender delivers
// at most one value; destroying it unsent marks the reply Dropped, so the receiver can tell "not
// yet" (Pending) from "never" (Dropped). The receiver polls without waiting (the UI thread) or
// waits with a timeout (workers).

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace remote::sync {

enum class OneShotState { Pending, Ready, Dropped };

template <class T>
struct OneShotPoll {
    OneShotState state = OneShotState::Pending;
    std::optional<T> value;  // set exactly when state == Ready; the value is handed over once
};

template <class T>
class OneShotSender;
template <class T>
class OneShotReceiver;
template <class T>
std::pair<OneShotSender<T>, OneShotReceiver<T>> make_one_shot();

namespace detail {

template <class T>
struct OneShotShared {
    std::mutex mutex;
    std::condition_variable ready;
    std::optional<T> value;
    bool sender_done = false;    // the value was sent or the sender went away
    bool receiver_alive = true;  // lets the sender skip work nobody will read
    bool delivered = false;      // the receiver already took the value
};

}  // namespace detail

template <class T>
class OneShotSender {
  public:
    OneShotSender(const OneShotSender&) = delete;
    OneShotSender& operator=(const OneShotSender&) = delete;
    OneShotSender(OneShotSender&& other) noexcept : shared_(std::move(other.shared_)) {}
    OneShotSender& operator=(OneShotSender&& other) noexcept {
        if (this != &other) {
            finish();
            shared_ = std::move(other.shared_);
        }
        return *this;
    }
    ~OneShotSender() { finish(); }

    // Delivers the value; false when the receiver is gone or a value was already sent.
    bool send(T value) {
        if (!shared_) {
            return false;
        }
        bool alive = false;
        {
            std::lock_guard lock(shared_->mutex);
            alive = shared_->receiver_alive;
            if (alive) {
                shared_->value = std::move(value);
            }
            shared_->sender_done = true;
        }
        shared_->ready.notify_all();
        shared_.reset();
        return alive;
    }

    bool receiver_gone() const {
        if (!shared_) {
            return true;
        }
        std::lock_guard lock(shared_->mutex);
        return !shared_->receiver_alive;
    }

  private:
    friend std::pair<OneShotSender<T>, OneShotReceiver<T>> make_one_shot<T>();
    explicit OneShotSender(std::shared_ptr<detail::OneShotShared<T>> shared)
        : shared_(std::move(shared)) {}

    void finish() {
        if (!shared_) {
            return;
        }
        {
            std::lock_guard lock(shared_->mutex);
            shared_->sender_done = true;
        }
        shared_->ready.notify_all();
        shared_.reset();
    }

    std::shared_ptr<detail::OneShotShared<T>> shared_;
};

template <class T>
class OneShotReceiver {
  public:
    OneShotReceiver(const OneShotReceiver&) = delete;
    OneShotReceiver& operator=(const OneShotReceiver&) = delete;
    OneShotReceiver(OneShotReceiver&& other) noexcept : shared_(std::move(other.shared_)) {}
    OneShotReceiver& operator=(OneShotReceiver&& other) noexcept {
        if (this != &other) {
            release();
            shared_ = std::move(other.shared_);
        }
        return *this;
    }
    ~OneShotReceiver() { release(); }

    // Never waits. Ready hands the value over; later polls report Dropped.
    OneShotPoll<T> poll() {
        if (!shared_) {
            return {OneShotState::Dropped, std::nullopt};
        }
        std::lock_guard lock(shared_->mutex);
        return poll_locked();
    }

    // Waits up to the timeout for the sender to answer or go away.
    template <class Rep, class Period>
    OneShotPoll<T> wait_for(std::chrono::duration<Rep, Period> timeout) {
        if (!shared_) {
            return {OneShotState::Dropped, std::nullopt};
        }
        std::unique_lock lock(shared_->mutex);
        shared_->ready.wait_for(lock, timeout, [&] { return shared_->sender_done; });
        return poll_locked();
    }

  private:
    friend std::pair<OneShotSender<T>, OneShotReceiver<T>> make_one_shot<T>();
    explicit OneShotReceiver(std::shared_ptr<detail::OneShotShared<T>> shared)
        : shared_(std::move(shared)) {}

    OneShotPoll<T> poll_locked() {
        if (!shared_->sender_done) {
            return {OneShotState::Pending, std::nullopt};
        }
        if (shared_->value && !shared_->delivered) {
            shared_->delivered = true;
            OneShotPoll<T> out{OneShotState::Ready, std::move(shared_->value)};
            shared_->value.reset();
            return out;
        }
        return {OneShotState::Dropped, std::nullopt};
    }

    void release() {
        if (!shared_) {
            return;
        }
        {
            std::lock_guard lock(shared_->mutex);
            shared_->receiver_alive = false;
        }
        shared_.reset();
    }

    std::shared_ptr<detail::OneShotShared<T>> shared_;
};

template <class T>
std::pair<OneShotSender<T>, OneShotReceiver<T>> make_one_shot() {
    auto shared = std::make_shared<detail::OneShotShared<T>>();
    return {OneShotSender<T>(shared), OneShotReceiver<T>(shared)};
}

}  // namespace remote::sync
