#include "runtime/ui/text_render.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "gui_app.hpp"

namespace {

using orvo_ui::Canvas;
using orvo_ui::Color;
using orvo_ui::text_render::TextRenderer;

class TextRenderTest : public ::testing::Test {
  protected:
    void SetUp() override { ui_test::gui_app(); }
};

// Count of pixels in `area` that differ from the ground colour.
int inked(const QImage& img, QRect area) {
    const QRgb ground = img.pixel(0, 0);
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += img.pixel(x, y) != ground ? 1 : 0;
        }
    }
    return n;
}

TEST_F(TextRenderTest, BothFamiliesResolveToDejaVu) {
    TextRenderer text;
    EXPECT_EQ(text.resolved_ui_family(), "DejaVu Sans");
    EXPECT_EQ(text.resolved_mono_family(), "DejaVu Sans Mono");
}

TEST_F(TextRenderTest, MeasureGrowsWithTextSizeWeightAndScale) {
    TextRenderer text;
    const double w13 = text.measure("Connect", 13);
    EXPECT_GT(w13, 30.0);
    EXPECT_LT(w13, 70.0);
    EXPECT_GT(text.measure("Connect", 26), 1.8 * w13);
    EXPECT_GT(text.measure_weighted("Connect", 13), w13);
    EXPECT_GT(text.measure("Connections", 13), w13);
    EXPECT_EQ(text.measure("", 13), 0.0);
    // A fractional size lies between its neighbours.
    EXPECT_GT(text.measure("Needs access", 11.5), text.measure("Needs access", 11));
    EXPECT_LT(text.measure("Needs access", 11.5), text.measure("Needs access", 12));

    EXPECT_DOUBLE_EQ(text.line_height(16), 20.0);
    text.set_text_scale(1.5);
    EXPECT_DOUBLE_EQ(text.line_height(16), 30.0);
    EXPECT_NEAR(text.measure("Connect", 13), text.measure("Connect", 19.5) / 1.5, 0.01);
    text.set_text_scale(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(text.text_scale(), 1.5);
    text.set_text_scale(100.0);
    EXPECT_DOUBLE_EQ(text.text_scale(), 4.0);
}

TEST_F(TextRenderTest, BaselineSitsInsideTheLineBox) {
    TextRenderer text;
    for (double size : {11.0, 13.0, 22.0}) {
        EXPECT_GT(text.ascent(size), 0.7 * size) << size;
        EXPECT_LT(text.ascent(size), text.line_height(size)) << size;
    }
}

TEST_F(TextRenderTest, ElideCutsAtCharactersAndEndsWithEllipsis) {
    TextRenderer text;
    const std::string name = "\xC3\xA9t\xC3\xA9-production-database-01";  // "été-…"
    EXPECT_EQ(text.elide(name, 13, 1000), name);
    const std::string cut = text.elide(name, 13, 60);
    EXPECT_LE(text.measure(cut, 13), 60.0);
    EXPECT_EQ(cut.substr(cut.size() - 3), "\xE2\x80\xA6");
    EXPECT_EQ(cut.rfind("\xC3\xA9t\xC3\xA9", 0), 0u);
    EXPECT_EQ(text.elide(name, 13, 0.5), "");
}

TEST_F(TextRenderTest, DrawnTextInksPixelsInsideItsLineBoxOnly) {
    TextRenderer text;
    QImage img(200, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0x0F, 0x11, 0x15));
    const double width = text.measure("Remote Machines", 14);
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        text.draw_text(canvas, "Remote Machines", {10, 10}, 14, Color::hex(0xE6E9EF));
    }
    const int line_bottom = static_cast<int>(10 + text.line_height(14));
    EXPECT_GT(inked(img, QRect(10, 10, static_cast<int>(width), line_bottom - 10)), 100);
    EXPECT_EQ(inked(img, QRect(0, 0, 200, 9)), 0);
    EXPECT_EQ(inked(img, QRect(0, line_bottom + 1, 200, 40 - line_bottom - 1)), 0);
    EXPECT_EQ(inked(img, QRect(static_cast<int>(10 + width) + 2, 0, 20, 40)), 0);
}

TEST_F(TextRenderTest, CellsLandOnTheGridIncludingFallbackGlyphs) {
    TextRenderer text;
    const auto m = text.mono_metrics(14);
    EXPECT_NEAR(m.advance, 8.4, 0.1);
    QImage img(200, 30, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0x0B, 0x0D, 0x11));
    // "A", blank, CJK (not in the monospace font), blank, "B".
    const std::u32string cells = U"A \u65E5 B";
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        text.draw_cells(canvas, cells, {0, 0}, 14, 21, 10.0, Color::hex(0xE6E9EF), false);
    }
    EXPECT_GT(inked(img, QRect(0, 0, 10, 21)), 5);    // A
    EXPECT_EQ(inked(img, QRect(11, 0, 8, 21)), 0);    // blank cell
    EXPECT_GT(inked(img, QRect(20, 0, 14, 21)), 5);   // fallback glyph in cell 2
    EXPECT_GT(inked(img, QRect(40, 0, 10, 21)), 5);   // B at 4 × 10
    EXPECT_EQ(inked(img, QRect(52, 0, 140, 30)), 0);  // nothing past the run
}

}  // namespace
