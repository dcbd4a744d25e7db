#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "sync/latest_cell.hpp"
#include "sync/one_shot.hpp"

namespace remote::sync {
namespace {

using namespace std::chrono_literals;

TEST(LatestCell, KeepsOnlyTheLatestValueAndTakeEmptiesIt) {
    LatestCell<std::string> cell;
    EXPECT_FALSE(cell.get().has_value());
    cell.set("first");
    cell.set("second");
    EXPECT_EQ(cell.get(), "second");
    EXPECT_EQ(cell.get(), "second");  // get leaves it in place
    EXPECT_EQ(cell.take(), "second");
    EXPECT_FALSE(cell.take().has_value());
}

TEST(LatestCell, UpdateIsOneReadModifyWriteAgainstConcurrentWriters) {
    LatestCell<int> cell(0);
    std::thread a([&] {
        for (int i = 0; i < 10000; ++i) {
            cell.update([](std::optional<int>& v) { *v += 1; });
        }
    });
    for (int i = 0; i < 10000; ++i) {
        cell.update([](std::optional<int>& v) { *v += 1; });
    }
    a.join();
    EXPECT_EQ(cell.get(), 20000);
}

TEST(LatestCell, SharedValuesAreHandedOverWithoutCopyingTheirPayload) {
    LatestCell<std::shared_ptr<const std::string>> cell;
    auto payload = std::make_shared<const std::string>(1000, 'x');
    cell.set(payload);
    auto copy = cell.get();
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->get(), payload.get());
}

TEST(OneShot, MovesFromPendingToReadyThenReportsDropped) {
    auto [tx, rx] = make_one_shot<std::string>();
    EXPECT_EQ(rx.poll().state, OneShotState::Pending);
    EXPECT_TRUE(tx.send("done"));
    auto ready = rx.poll();
    ASSERT_EQ(ready.state, OneShotState::Ready);
    EXPECT_EQ(ready.value, "done");
    EXPECT_EQ(rx.poll().state, OneShotState::Dropped);  // a value is handed over once
}

TEST(OneShot, SenderGoneUnansweredIsDropped) {
    auto [tx, rx] = make_one_shot<int>();
    { auto gone = std::move(tx); }
    EXPECT_EQ(rx.poll().state, OneShotState::Dropped);
}

TEST(OneShot, SendAfterReceiverIsGoneReportsFalse) {
    auto [tx, rx] = make_one_shot<int>();
    EXPECT_FALSE(tx.receiver_gone());
    { auto gone = std::move(rx); }
    EXPECT_TRUE(tx.receiver_gone());
    EXPECT_FALSE(tx.send(1));
}

TEST(OneShot, WaitForSeesAnswerAndDropFromAnotherThread) {
    {
        auto [tx, rx] = make_one_shot<int>();
        std::thread t([s = std::move(tx)]() mutable {
            std::this_thread::sleep_for(10ms);
            s.send(42);
        });
        auto got = rx.wait_for(5s);
        t.join();
        ASSERT_EQ(got.state, OneShotState::Ready);
        EXPECT_EQ(got.value, 42);
    }
    {
        auto [tx, rx] = make_one_shot<int>();
        std::thread t([s = std::move(tx)]() mutable {
            std::this_thread::sleep_for(10ms);
            auto gone = std::move(s);
        });
        auto got = rx.wait_for(5s);
        t.join();
        EXPECT_EQ(got.state, OneShotState::Dropped);
    }
    {
        auto [tx, rx] = make_one_shot<int>();
        EXPECT_EQ(rx.wait_for(5ms).state, OneShotState::Pending);
    }
}

}  // namespace
}  // namespace remote::sync
