// RFB decode benchmarks on a 1920 x 1080 framebuffer. Each one also times a plain memcpy of the
// same frame in the same process, so the ratio holds on a noisy machine:
//   raw       one full-frame Raw rectangle (8 MB of pixels), against memcpy of those bytes;
//   copyrect  a full-screen CopyRect scrolling by one row, against memcpy of the frame;
//   rre       one RRE rectangle with 100,000 1x1 subrectangles, in subrectangles per second;
//   small     a 64x64 Raw update while the UI shows the previous frame and the latest waits in
//             the worker's cell, as in a live session (typing, a blinking cursor).

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <vector>

#include "rfb/update_decoder.hpp"

namespace {

using namespace remote::rfb;

// Thread CPU time: the machine running benchmarks is shared, and CPU time leaves out the time
// other processes take from us. Decoding and memcpy are measured the same way.
double thread_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

constexpr std::uint16_t kWidth = 1920;
constexpr std::uint16_t kHeight = 1080;
constexpr std::size_t kFrameBytes = std::size_t{kWidth} * kHeight * 4;

void put_u16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(static_cast<std::uint8_t>(x >> 8));
    v.push_back(static_cast<std::uint8_t>(x));
}

void put_u32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    put_u16(v, static_cast<std::uint16_t>(x >> 16));
    put_u16(v, static_cast<std::uint16_t>(x));
}

std::vector<std::uint8_t> update_header(std::uint16_t x, std::uint16_t y, std::uint16_t w,
                                        std::uint16_t h, std::int32_t encoding) {
    std::vector<std::uint8_t> v = {0};
    put_u16(v, 1);
    put_u16(v, x);
    put_u16(v, y);
    put_u16(v, w);
    put_u16(v, h);
    put_u32(v, static_cast<std::uint32_t>(encoding));
    return v;
}

// Seconds per memcpy of n bytes between two warm buffers.
double memcpy_seconds(std::size_t n) {
    std::vector<std::uint8_t> src(n, 0x5A), dst(n, 0);
    std::memcpy(dst.data(), src.data(), n);
    constexpr int kRounds = 50;
    const double start = thread_seconds();
    for (int i = 0; i < kRounds; ++i) {
        src[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        std::memcpy(dst.data(), src.data(), n);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    return (thread_seconds() - start) / kRounds;
}

// Decodes the update once per iteration and reports its rate beside memcpy's.
void run_decode(benchmark::State& state, const std::vector<std::uint8_t>& update,
                std::size_t frame_bytes, double items_per_update) {
    RfbFramebuffer fb(kWidth, kHeight);
    DecodeScratch scratch;
    const RfbPixelFormat format = client_pixel_format();
    MemoryStream stream(update);
    double total = 0;
    for (auto _ : state) {
        stream.rewind();
        const double start = thread_seconds();
        auto r = read_framebuffer_update(stream, fb, format, scratch);
        const double seconds = thread_seconds() - start;
        if (!r.ok()) {
            state.SkipWithError(r.error().text.c_str());
            return;
        }
        benchmark::DoNotOptimize(fb.bytes().data());
        state.SetIterationTime(seconds);
        total += seconds;
    }
    const double per_update = total / static_cast<double>(state.iterations());
    const double copy = memcpy_seconds(frame_bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(frame_bytes) * state.iterations());
    state.counters["decode_MB/s"] = frame_bytes / 1e6 / per_update;
    state.counters["memcpy_MB/s"] = frame_bytes / 1e6 / copy;
    state.counters["x_memcpy"] = copy / per_update;
    if (items_per_update > 0) {
        state.counters["Msubrects/s"] = items_per_update / 1e6 / per_update;
    }
}

void BM_RawFullFrame(benchmark::State& state) {
    auto update = update_header(0, 0, kWidth, kHeight, 0);
    for (std::size_t i = 0; i < kFrameBytes; ++i) {
        update.push_back(static_cast<std::uint8_t>(i * 31 + (i >> 12)));
    }
    run_decode(state, update, kFrameBytes, 0);
}

void BM_CopyRectScroll(benchmark::State& state) {
    // The whole screen moves up by one row: destination (0, 0), source (0, 1).
    auto update = update_header(0, 0, kWidth, kHeight - 1, 1);
    put_u16(update, 0);
    put_u16(update, 1);
    run_decode(state, update, std::size_t{kWidth} * (kHeight - 1) * 4, 0);
}

void BM_Rre100kSubrects(benchmark::State& state) {
    constexpr std::uint32_t kSubrects = 100'000;
    auto update = update_header(0, 0, kWidth, kHeight, 2);
    put_u32(update, kSubrects);
    for (std::uint8_t b : {0x10, 0x20, 0x30, 0x00}) {
        update.push_back(b);
    }
    for (std::uint32_t i = 0; i < kSubrects; ++i) {
        for (std::uint8_t b : {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                               std::uint8_t{0x80}, std::uint8_t{0}}) {
            update.push_back(b);
        }
        put_u16(update, static_cast<std::uint16_t>((i * 7919) % kWidth));
        put_u16(update, static_cast<std::uint16_t>((i * 104729) % kHeight));
        put_u16(update, 1);
        put_u16(update, 1);
    }
    // The background fill is part of the work: it is a full frame of writes.
    run_decode(state, update, kFrameBytes, kSubrects);
}

// Decoding plus publishing, per update, with two snapshots alive as in a session: the one the UI
// draws and the one waiting in the cell.
void BM_SmallUpdateWhileShown(benchmark::State& state) {
    auto update = update_header(100, 100, 64, 64, 0);
    for (std::size_t i = 0; i < std::size_t{64} * 64 * 4; ++i) {
        update.push_back(static_cast<std::uint8_t>(i * 13));
    }
    RfbFramebuffer fb(kWidth, kHeight);
    DecodeScratch scratch;
    const RfbPixelFormat format = client_pixel_format();
    MemoryStream stream(update);
    RfbFramebuffer shown = fb.snapshot();
    RfbFramebuffer waiting = fb.snapshot();
    double total = 0;
    for (auto _ : state) {
        stream.rewind();
        shown = waiting;  // the UI takes the waiting frame and lets its old one go
        const double start = thread_seconds();
        auto r = read_framebuffer_update(stream, fb, format, scratch);
        waiting = fb.snapshot();
        const double seconds = thread_seconds() - start;
        if (!r.ok()) {
            state.SkipWithError(r.error().text.c_str());
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["us_per_update"] = total / static_cast<double>(state.iterations()) * 1e6;
}

}  // namespace

BENCHMARK(BM_SmallUpdateWhileShown)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_RawFullFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_CopyRectScroll)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Rre100kSubrects)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
