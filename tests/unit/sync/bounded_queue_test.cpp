#include "sync/bounded_queue.hpp"

#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace remote::sync {
namespace {

using namespace std::chrono_literals;

bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}

TEST(BoundedQueue, OfferReportsOkFullAndClosedInOrder) {
    auto [tx, rx] = make_bounded_queue<int>(2);
    EXPECT_EQ(tx.offer(1), SendStatus::Ok);
    EXPECT_EQ(tx.offer(2), SendStatus::Ok);
    EXPECT_EQ(tx.offer(3), SendStatus::Full);  // the third is dropped, not queued
    auto first = rx.take_if_present();
    ASSERT_EQ(first.status, TakeStatus::Item);
    EXPECT_EQ(*first.item, 1);
    EXPECT_EQ(tx.offer(4), SendStatus::Ok);
    std::vector<int> rest;
    for (auto t = rx.take_if_present(); t.status == TakeStatus::Item; t = rx.take_if_present()) {
        rest.push_back(*t.item);
    }
    EXPECT_EQ(rest, (std::vector<int>{2, 4}));
    rx.reset();
    EXPECT_EQ(tx.offer(5), SendStatus::Closed);
    EXPECT_TRUE(tx.closed());
}

TEST(BoundedQueue, ZeroCapacityStillHoldsOneItem) {
    auto [tx, rx] = make_bounded_queue<int>(0);
    EXPECT_EQ(tx.offer(1), SendStatus::Ok);
    EXPECT_EQ(tx.offer(2), SendStatus::Full);
}

TEST(BoundedQueue, ClosesOnlyWhenTheLastSenderGoes) {
    auto [tx, rx] = make_bounded_queue<std::string>(8);
    {
        auto copy = tx;
        ASSERT_EQ(copy.offer("from copy"), SendStatus::Ok);
        tx.reset();
        EXPECT_FALSE(rx.closed());  // the copy still counts
        ASSERT_EQ(copy.offer("last"), SendStatus::Ok);
    }
    EXPECT_TRUE(rx.closed());
    // Items sent before closing are still delivered, in order, before Closed.
    auto a = rx.take_if_present();
    auto b = rx.take_if_present();
    ASSERT_EQ(a.status, TakeStatus::Item);
    ASSERT_EQ(b.status, TakeStatus::Item);
    EXPECT_EQ(*a.item, "from copy");
    EXPECT_EQ(*b.item, "last");
    EXPECT_EQ(rx.take_if_present().status, TakeStatus::Closed);
    EXPECT_EQ(rx.take().status, TakeStatus::Closed);
}

TEST(BoundedQueue, MovedFromSenderDoesNotCloseTheQueue) {
    auto [tx, rx] = make_bounded_queue<int>(4);
    auto moved = std::move(tx);
    tx.reset();  // the moved-from handle owns nothing
    EXPECT_FALSE(rx.closed());
    EXPECT_EQ(moved.offer(7), SendStatus::Ok);
    Sender<int> assigned = moved;
    moved = assigned;  // self-consistent counting through copy assignment
    assigned.reset();
    EXPECT_FALSE(rx.closed());
    moved.reset();
    EXPECT_TRUE(rx.closed());
}

TEST(BoundedQueue, BlockingTakeWakesWhenTheLastSenderIsDroppedOnAnotherThread) {
    auto [tx, rx] = make_bounded_queue<int>(4);
    std::atomic<bool> woke{false};
    std::thread worker([&rx = rx, &woke] {
        auto t = rx.take();
        woke = t.status == TakeStatus::Closed;
    });
    std::this_thread::sleep_for(20ms);
    tx.reset();
    worker.join();
    EXPECT_TRUE(woke);
}

TEST(BoundedQueue, BlockingPushWaitsForRoomAndWakesOnReceiverDrop) {
    auto [tx, rx] = make_bounded_queue<int>(1);
    ASSERT_EQ(tx.offer(1), SendStatus::Ok);
    std::atomic<int> pushed{-1};
    std::thread producer([&tx = tx, &pushed] { pushed = static_cast<int>(tx.push(2)); });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(pushed.load(), -1);  // still waiting: the queue is full
    ASSERT_EQ(*rx.take().item, 1);
    producer.join();
    EXPECT_EQ(pushed.load(), static_cast<int>(SendStatus::Ok));
    EXPECT_EQ(*rx.take().item, 2);

    ASSERT_EQ(tx.offer(3), SendStatus::Ok);
    std::thread blocked([&tx = tx, &pushed] { pushed = static_cast<int>(tx.push(4)); });
    std::this_thread::sleep_for(20ms);
    rx.reset();
    blocked.join();
    EXPECT_EQ(pushed.load(), static_cast<int>(SendStatus::Closed));
}

TEST(BoundedQueue, TakeForGivesEmptyOnTimeoutAndItemWhenOneArrives) {
    auto [tx, rx] = make_bounded_queue<int>(4);
    EXPECT_EQ(rx.take_for(10ms).status, TakeStatus::Empty);
    std::thread producer([&tx = tx] {
        std::this_thread::sleep_for(20ms);
        tx.offer(9);
    });
    auto t = rx.take_for(5s);
    producer.join();
    ASSERT_EQ(t.status, TakeStatus::Item);
    EXPECT_EQ(*t.item, 9);
}

TEST(BoundedQueue, EventFdIsReadableExactlyWhileItemsWaitOrTheQueueIsClosed) {
    auto [tx, rx] = make_bounded_queue<int>(4);
    const int fd = rx.event_fd();
    ASSERT_GE(fd, 0);
    struct Step {
        const char* what;
        std::function<void()> act;
        bool readable;
    };
    std::vector<Step> steps = {
        {"fresh queue", [] {}, false},
        {"one item", [&tx = tx] { tx.offer(1); }, true},
        {"two items", [&tx = tx] { tx.offer(2); }, true},
        {"one taken, one left", [&rx = rx] { rx.take_if_present(); }, true},
        {"drained", [&rx = rx] { rx.take_if_present(); }, false},
        {"empty take keeps it quiet", [&rx = rx] { rx.take_if_present(); }, false},
        {"item again", [&tx = tx] { tx.offer(3); }, true},
        {"drained again", [&rx = rx] { rx.take_if_present(); }, false},
        {"last sender gone", [&tx = tx] { tx.reset(); }, true},
        {"closed stays readable", [&rx = rx] { rx.take_if_present(); }, true},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(readable(fd), step.readable) << step.what;
    }
}

TEST(BoundedQueue, PollWorkerSeesItemsAndCloseThroughTheFd) {
    auto [tx, rx] = make_bounded_queue<int>(256);
    std::vector<int> got;
    bool saw_close = false;
    std::thread worker([&rx = rx, &got, &saw_close] {
        for (;;) {
            pollfd p{rx.event_fd(), POLLIN, 0};
            if (::poll(&p, 1, 5000) != 1) {
                return;  // a lost wake-up: the test below fails on the missing close
            }
            for (auto t = rx.take_if_present();; t = rx.take_if_present()) {
                if (t.status == TakeStatus::Item) {
                    got.push_back(*t.item);
                } else if (t.status == TakeStatus::Closed) {
                    saw_close = true;
                    return;
                } else {
                    break;
                }
            }
        }
    });
    for (int i = 0; i < 1000; ++i) {
        while (tx.offer(i) == SendStatus::Full) {
            std::this_thread::yield();
        }
    }
    tx.reset();
    worker.join();
    EXPECT_TRUE(saw_close);
    ASSERT_EQ(got.size(), 1000u);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(got[static_cast<std::size_t>(i)], i);
    }
}

}  // namespace
}  // namespace remote::sync
