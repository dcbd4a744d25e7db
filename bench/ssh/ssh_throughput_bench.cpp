// `cat` of a 64 MiB text file on a local sshd: through our SSH session into the TerminalScreen
// (connect, authenticate, shell, every byte fed to the emulator), beside OpenSSH's own client
// copying the same file to /dev/null in the same run, with and without a pseudo-terminal. Every
// figure includes connecting.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "known_hosts/host_key_store.hpp"
#include "local_sshd.hpp"
#include "ssh/ssh_session.hpp"

namespace remote::bench {
namespace {

constexpr std::size_t kFileBytes = std::size_t{64} << 20U;

struct Setup {
    std::optional<LocalSshd> server;
    std::string file;
    std::filesystem::path known_hosts;
};

std::optional<ssh::SshSession> start(const Setup& s) {
    auto started = ssh::start_ssh_session(ssh::SshLaunch{
        "127.0.0.1", "root", s.known_hosts, ssh::SshPublicKey{s.server->client_key(), std::nullopt},
        s.server->port(), ssh::kTerminalColumns, ssh::kTerminalRows});
    if (auto* session = std::get_if<ssh::SshSession>(&started)) {
        return std::move(*session);
    }
    return std::nullopt;
}

// Drains like the UI does every frame until the session is over; the final status.
SessionStatus drain_until_over(ssh::SshSession& session) {
    for (;;) {
        const bool fed = session.drain_output();
        const SessionStatus status = session.status();
        if (!status.is_active()) {
            session.drain_output();
            return status;
        }
        if (!fed) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
}

Setup& setup() {
    static Setup s = [] {
        Setup out;
        out.server = LocalSshd::start();
        if (!out.server) {
            return out;
        }
        out.file = out.server->dir() + "/payload.txt";
        std::string line;
        for (int i = 0; i < 79; ++i) {
            line.push_back(static_cast<char>('!' + (i % 90)));
        }
        line.push_back('\n');
        std::ofstream file(out.file, std::ios::binary);
        for (std::size_t written = 0; written < kFileBytes; written += line.size()) {
            file << line;
        }
        const std::filesystem::path trust = out.server->dir() + "/trust";
        std::filesystem::create_directory(trust);
        ::chmod(trust.c_str(), 0700);
        out.known_hosts = trust / "known-hosts.json";
        // Trust the host key the way a user does: from the review of a refused first connection.
        if (auto first = start(out)) {
            drain_until_over(*first);
            if (auto review = first->review()) {
                if (const auto* unknown =
                        std::get_if<ssh::HostKeyReview::Unknown>(&review->value)) {
                    (void)trust_host_key(out.known_hosts, "127.0.0.1", out.server->port(),
                                         unknown->observed);
                }
            }
        }
        return out;
    }();
    return s;
}

void BM_SessionCatIntoTerminal(benchmark::State& state) {
    Setup& s = setup();
    if (!s.server) {
        state.SkipWithError(("sshd: " + LocalSshd::why).c_str());
        return;
    }
    const std::string command = "exec cat " + s.file + "\r";
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        auto session = start(s);
        if (!session) {
            state.SkipWithError("cannot start the session");
            return;
        }
        while (session->status().is<SessionStatus::Connecting>()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (session->send_input(
                std::span(reinterpret_cast<const std::uint8_t*>(command.data()), command.size()))) {
            state.SkipWithError(session->status().text().c_str());
            return;
        }
        const SessionStatus end = drain_until_over(*session);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        if (!end.is<SessionStatus::Ended>()) {
            state.SkipWithError(("session: " + end.text()).c_str());
            return;
        }
        benchmark::DoNotOptimize(session->terminal().cursor());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

// Argument 0: no pseudo-terminal (-T), OpenSSH's fastest path. Argument 1: a pseudo-terminal
// (-tt), the path our session always takes, where the server's terminal line discipline adds
// its own cost.
void BM_OpenSshClientToDevNull(benchmark::State& state) {
    Setup& s = setup();
    if (!s.server) {
        state.SkipWithError(("sshd: " + LocalSshd::why).c_str());
        return;
    }
    const std::string command =
        std::string(state.range(0) == 0 ? "ssh -T" : "ssh -tt") + " -q -i " +
        s.server->client_key() +
        " -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null -o BatchMode=yes -p " +
        std::to_string(s.server->port()) + " root@127.0.0.1 cat " + s.file + " > /dev/null";
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const int rc = std::system(command.c_str());
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        if (rc != 0) {
            state.SkipWithError("ssh client failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileBytes));
}

BENCHMARK(BM_SessionCatIntoTerminal)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSshClientToDevNull)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace remote::bench

BENCHMARK_MAIN();
