// Feed throughput of the terminal screen against libvterm's full 80x24 screen, both fed the
// same 100 MiB of realistic shell output in 4 KiB writes. The stream is generated once into
// the build tree by the shared generator (seed 1).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <vterm.h>
}

#include "vt/terminal_screen.hpp"

namespace {

constexpr std::size_t kWrite = 4096;
constexpr int kColumns = 80;
constexpr int kRows = 24;

std::optional<std::vector<char>> read_file(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    std::vector<char> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        return std::nullopt;
    }
    return bytes;
}

// The stream, or an empty vector with a message on stderr when it cannot be made.
const std::vector<char>& stream() {
    static const std::vector<char> bytes = [] {
        if (auto existing = read_file(VT_STREAM_FILE); existing && !existing->empty()) {
            return std::move(*existing);
        }
        const std::string command = std::string("python3 '") + REMOTE_SOURCE_DIR +
                                    "/../shared/bench/gen_vt_stream.py' '" + VT_STREAM_FILE +
                                    "' 100 1";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cannot generate the stream: %s\n", command.c_str());
            return std::vector<char>();
        }
        return read_file(VT_STREAM_FILE).value_or(std::vector<char>());
    }();
    return bytes;
}

double libvterm_rate = 0.0;  // bytes per second of the last libvterm run

// The machine is shared, so the feeding thread's CPU time is the measure; wall time is
// reported beside it.
double thread_seconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Timing {
    double cpu = 0.0;
    double wall = 0.0;
};

template <class Feed>
Timing timed_feed(const std::vector<char>& bytes, Feed&& feed) {
    const auto wall_start = std::chrono::steady_clock::now();
    const double cpu_start = thread_seconds();
    for (std::size_t at = 0; at < bytes.size(); at += kWrite) {
        feed(bytes.data() + at, std::min(kWrite, bytes.size() - at));
    }
    return {thread_seconds() - cpu_start,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count()};
}

// Sets the counters and returns the rate in bytes per CPU second.
double report(benchmark::State& state, std::size_t size, Timing total) {
    const double bytes = static_cast<double>(size) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["MB/s"] = benchmark::Counter(bytes / 1e6 / total.cpu);
    state.counters["wall_MB/s"] = benchmark::Counter(bytes / 1e6 / total.wall);
    return bytes / total.cpu;
}

void BM_LibvtermScreen(benchmark::State& state) {
    const auto& bytes = stream();
    if (bytes.empty()) {
        state.SkipWithError("no input stream");
        return;
    }
    Timing total;
    for (auto _ : state) {
        VTerm* vt = vterm_new(kRows, kColumns);
        vterm_set_utf8(vt, 1);
        VTermScreen* screen = vterm_obtain_screen(vt);
        vterm_screen_reset(screen, 1);
        const Timing t =
            timed_feed(bytes, [vt](const char* p, std::size_t n) { vterm_input_write(vt, p, n); });
        VTermPos pos;
        vterm_state_get_cursorpos(vterm_obtain_state(vt), &pos);
        benchmark::DoNotOptimize(pos);
        vterm_free(vt);
        state.SetIterationTime(t.cpu);
        total.cpu += t.cpu;
        total.wall += t.wall;
    }
    libvterm_rate = report(state, bytes.size(), total);
}

void BM_TerminalScreen(benchmark::State& state) {
    const auto& bytes = stream();
    if (bytes.empty()) {
        state.SkipWithError("no input stream");
        return;
    }
    Timing total;
    for (auto _ : state) {
        remote::TerminalScreen screen(kColumns, kRows);
        const Timing t = timed_feed(bytes, [&screen](const char* p, std::size_t n) {
            screen.feed(std::string_view(p, n));
        });
        benchmark::DoNotOptimize(screen.cursor());
        state.SetIterationTime(t.cpu);
        total.cpu += t.cpu;
        total.wall += t.wall;
    }
    const double rate = report(state, bytes.size(), total);
    if (libvterm_rate > 0.0) {
        // How many times libvterm's throughput, measured in the same run.
        state.counters["x_libvterm"] = benchmark::Counter(rate / libvterm_rate);
    }
}

// libvterm first, so that the screen's run can report the ratio.
BENCHMARK(BM_LibvtermScreen)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TerminalScreen)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
