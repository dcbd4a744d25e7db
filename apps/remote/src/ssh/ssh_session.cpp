#include "ssh/ssh_session.hpp"

#include <pthread.h>

#include <system_error>
#include <thread>

namespace remote::ssh {

SshSession::SshSession(std::uint16_t columns, std::uint16_t rows, InputSender input,
                       OutputReceiver output)
    : terminal_(std::make_unique<TerminalScreen>(columns, rows)),
      status_(std::make_shared<StatusCell>(SessionStatus::connecting())),
      review_(std::make_shared<ReviewCell>()),
      output_(std::move(output)),
      input_(std::move(input)) {}

SessionStatus SshSession::status() const {
    return status_->get().value_or(SessionStatus::connecting());
}

std::optional<std::string> SshSession::send_input(std::span<const std::uint8_t> bytes) {
    return offer_input(input_, bytes, std::nullopt);
}

std::variant<sync::OneShotReceiver<InputAck>, std::string> SshSession::send_input_acknowledged(
    std::span<const std::uint8_t> bytes) {
    if (auto refused = check_input_size(bytes.size())) {
        return *refused;
    }
    auto [ack, reply] = sync::make_one_shot<InputAck>();
    if (auto refused = offer_input(input_, bytes, std::move(ack))) {
        return *refused;
    }
    return std::move(reply);
}

bool SshSession::drain_output() {
    bool any = false;
    for (;;) {
        auto taken = output_.take_if_present();
        if (taken.status != sync::TakeStatus::Item) {
            return any;
        }
        terminal_->feed(std::span<const std::uint8_t>(*taken.item));
        any = true;
    }
}

std::variant<SshSession, std::string> start_ssh_session(SshLaunch launch) {
    auto [input_sender, input_receiver] = sync::make_bounded_queue<SshInput>(kInputCapacity);
    auto [output_sender, output_receiver] = sync::make_bounded_queue<OutputChunk>(kOutputCapacity);
    SshSession session(launch.columns, launch.rows, std::move(input_sender),
                       std::move(output_receiver));
    SshWorkerIo io{std::move(input_receiver), std::move(output_sender), session.status_,
                   session.review_};
    try {
        std::thread worker([launch = std::move(launch), io = std::move(io)]() mutable {
            pthread_setname_np(pthread_self(), "remote-ssh");
            run_ssh_worker(launch, std::move(io));
        });
        worker.detach();
    } catch (const std::system_error& error) {
        return std::string(error.what());
    }
    return session;
}

}  // namespace remote::ssh
