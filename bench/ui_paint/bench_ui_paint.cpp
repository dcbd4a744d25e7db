// Frame-sized drawing work of the framework layer, each next to a peer measured in the same
// run so that the ratio holds on a busy machine:
//  - a full 80×24 (and 200×60) terminal grid in coloured runs, our glyph-run cell path against
//    QPainter::drawText of each run;
//  - a 1920×1080 RGBA picture drawn fit-scaled into 1280×800, against a memcpy of its bytes.

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/image.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/terminal_palette.hpp"

namespace {

using orvo_ui::Canvas;
using orvo_ui::Color;
using orvo_ui::text_render::TextRenderer;

constexpr double kSize = 14.0;
constexpr double kLine = 21.0;
constexpr double kAdvance = 8.4;
constexpr int kRunLength = 8;  // cells per colour run, as in a coloured `ls` or a prompt

struct Run {
    std::u32string cells;
    int row;
    int column;
    Color color;
    bool bold;
};

// A grid of printable ASCII in runs of kRunLength cells cycling through the 16 colours.
std::vector<Run> make_grid(int cols, int rows) {
    const auto palette = orvo_ui::tokens::terminal_palette::TerminalPalette::dark();
    std::vector<Run> runs;
    int n = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; c += kRunLength) {
            Run run{{}, r, c, palette.indexed(n % 16), n % 5 == 0};
            for (int i = c; i < std::min(cols, c + kRunLength); ++i) {
                run.cells.push_back(static_cast<char32_t>(33 + (r * cols + i) % 94));
            }
            runs.push_back(std::move(run));
            ++n;
        }
    }
    return runs;
}

void draw_ours(QImage& target, const TextRenderer& text, const std::vector<Run>& runs) {
    QPainter painter(&target);
    Canvas canvas(painter);
    for (const Run& run : runs) {
        text.draw_cells(canvas, run.cells, {16 + run.column * kAdvance, 16 + run.row * kLine},
                        kSize, kLine, kAdvance, run.color, run.bold);
    }
}

void draw_peer(QImage& target, const std::vector<Run>& runs) {
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont regular(QStringLiteral("DejaVu Sans Mono"));
    regular.setPixelSize(static_cast<int>(kSize));
    QFont bold = regular;
    bold.setWeight(QFont::DemiBold);
    for (const Run& run : runs) {
        painter.setFont(run.bold ? bold : regular);
        painter.setPen(QColor(run.color.r, run.color.g, run.color.b));
        const QString s =
            QString::fromUcs4(run.cells.data(), static_cast<qsizetype>(run.cells.size()));
        painter.drawText(QPointF(16 + run.column * kAdvance, 16 + run.row * kLine + 16.0), s);
    }
}

template <typename Fn>
double seconds_per_call(Fn&& fn, int calls) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
        fn();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
}

void BM_TerminalGrid(benchmark::State& state) {
    const int cols = static_cast<int>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    TextRenderer text;
    const auto runs = make_grid(cols, rows);
    QImage target(1920, 1300, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::black);
    draw_ours(target, text, runs);  // warm the glyph caches
    draw_peer(target, runs);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        draw_ours(target, text, runs);
        benchmark::DoNotOptimize(target.constBits());
    }
    const double ours =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(state.iterations());
    const int peer_calls = std::max(3, static_cast<int>(std::min<long>(state.iterations(), 50)));
    const double peer = seconds_per_call([&] { draw_peer(target, runs); }, peer_calls);
    state.counters["frame_ms"] = benchmark::Counter(ours * 1e3);
    state.counters["drawtext_ms"] = benchmark::Counter(peer * 1e3);
    state.counters["x_drawtext"] = benchmark::Counter(peer / ours);
    state.counters["cells"] = benchmark::Counter(cols * rows);
}
BENCHMARK(BM_TerminalGrid)->Args({80, 24})->Args({200, 60})->Unit(benchmark::kMillisecond);

void BM_PictureFit(benchmark::State& state) {
    const bool smooth = state.range(0) != 0;
    constexpr int kW = 1920;
    constexpr int kH = 1080;
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(std::size_t{kW} * kH * 4);
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        (*bytes)[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : (i * 7) % 251);
    }
    const auto image = std::get<orvo_ui::Image>(orvo_ui::Image::from_rgba(bytes, kW, kH));
    QImage target(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const auto scaling = smooth ? orvo_ui::ImageScaling::Smooth : orvo_ui::ImageScaling::Fast;
    const orvo_ui::Rect area{0, 80, 1280, 800 - 80};  // 16:9 fit into 1280 × 720
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        QPainter painter(&target);
        Canvas canvas(painter);
        canvas.draw_image(image, area, scaling);
        benchmark::DoNotOptimize(target.constBits());
    }
    const double ours =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
        static_cast<double>(state.iterations());
    std::vector<std::uint8_t> copy(bytes->size());
    const double peer = seconds_per_call(
        [&] {
            std::memcpy(copy.data(), bytes->data(), bytes->size());
            benchmark::DoNotOptimize(copy.data());
        },
        50);
    state.counters["frame_ms"] = benchmark::Counter(ours * 1e3);
    state.counters["memcpy_ms"] = benchmark::Counter(peer * 1e3);
    state.counters["x_memcpy"] = benchmark::Counter(ours / peer);
}
BENCHMARK(BM_PictureFit)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_MeasureLabels(benchmark::State& state) {
    TextRenderer text;
    const std::string labels[] = {"Connect", "Needs access", "production-database-01",
                                  "admin@192.168.10.24:2222", "Add connection (Ctrl+N)"};
    for (auto _ : state) {
        double total = 0.0;
        for (const std::string& l : labels) {
            total += text.measure(l, 13) + text.measure_weighted(l, 16);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_MeasureLabels);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
