// Input limits, queue refusals and the acknowledgement of a command nobody wrote.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ssh/ssh_input.hpp"

namespace remote::ssh {
namespace {

TEST(SshInputTest, SizeLimits) {
    struct Case {
        std::size_t size;
        std::optional<std::string> refusal;
    };
    const std::vector<Case> cases = {
        {0, "SSH input cannot be empty"},
        {1, std::nullopt},
        {65536, std::nullopt},
        {65537, "SSH input exceeds the 64 KiB per-operation limit"},
        {1 << 20, "SSH input exceeds the 64 KiB per-operation limit"},
    };
    for (const auto& c : cases) {
        auto [sender, receiver] = sync::make_bounded_queue<SshInput>(kInputCapacity);
        const std::vector<std::uint8_t> bytes(c.size, 'a');
        EXPECT_EQ(offer_input(sender, bytes, std::nullopt), c.refusal) << c.size;
        // Only accepted bytes reach the queue, unchanged.
        auto taken = receiver.take_if_present();
        EXPECT_EQ(taken.status == sync::TakeStatus::Item, !c.refusal.has_value()) << c.size;
        if (taken.item) {
            EXPECT_EQ(taken.item->bytes, bytes);
        }
    }
}

TEST(SshInputTest, FullQueueIsBusyAndTheRefusedAcknowledgementReadsDropped) {
    auto [sender, receiver] = sync::make_bounded_queue<SshInput>(kInputCapacity);
    const std::vector<std::uint8_t> byte{'x'};
    for (std::size_t i = 0; i < kInputCapacity; ++i) {
        ASSERT_EQ(offer_input(sender, byte, std::nullopt), std::nullopt) << i;
    }
    auto [ack, reply] = sync::make_one_shot<InputAck>();
    EXPECT_EQ(offer_input(sender, byte, std::move(ack)),
              "SSH input is busy; wait for the remote session to catch up");
    EXPECT_EQ(reply.poll().state, sync::OneShotState::Dropped);
}

TEST(SshInputTest, GoneWorkerClosesTheChannelAndDropsQueuedAcknowledgements) {
    auto [sender, receiver] = sync::make_bounded_queue<SshInput>(kInputCapacity);
    const std::vector<std::uint8_t> byte{'x'};
    auto [ack, reply] = sync::make_one_shot<InputAck>();
    ASSERT_EQ(offer_input(sender, byte, std::move(ack)), std::nullopt);
    EXPECT_EQ(reply.poll().state, sync::OneShotState::Pending);
    receiver.reset();  // the worker went away with the command unwritten
    EXPECT_EQ(reply.poll().state, sync::OneShotState::Dropped);
    EXPECT_EQ(offer_input(sender, byte, std::nullopt), "SSH session input channel is closed");
}

}  // namespace
}  // namespace remote::ssh
