#include "runtime/ui/canvas.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <limits>
#include <memory>
#include <vector>

#include "gui_app.hpp"
#include "runtime/ui/image.hpp"

namespace {

using orvo_ui::Canvas;
using orvo_ui::Color;
using orvo_ui::Image;
using orvo_ui::Rect;

constexpr Color kGround = Color::hex(0x0F1115);
constexpr Color kRed = Color::hex(0xF85149);

QImage blank(int w, int h, Color c = kGround) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(c.r, c.g, c.b));
    return img;
}

bool same(QRgb px, Color c, int tolerance = 1) {
    return std::abs(qRed(px) - c.r) <= tolerance && std::abs(qGreen(px) - c.g) <= tolerance &&
           std::abs(qBlue(px) - c.b) <= tolerance;
}

class CanvasTest : public ::testing::Test {
  protected:
    void SetUp() override { ui_test::gui_app(); }
};

TEST_F(CanvasTest, FilledShapesCoverTheirAreaAndNothingElse) {
    QImage img = blank(100, 60);
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        canvas.fill_rect(Rect::from_xywh(10, 10, 20, 20), kRed);
        canvas.fill_circle({70, 30}, 10, Color::hex(0x3FB950));
        canvas.fill_rounded_rect(Rect::from_xywh(40, 40, 20, 15), 10, Color::hex(0x4F8CFF));
    }
    EXPECT_TRUE(same(img.pixel(20, 20), kRed));
    EXPECT_TRUE(same(img.pixel(10, 10), kRed));
    EXPECT_TRUE(same(img.pixel(9, 20), kGround));
    EXPECT_TRUE(same(img.pixel(30, 20), kGround));
    EXPECT_TRUE(same(img.pixel(70, 30), Color::hex(0x3FB950)));
    EXPECT_TRUE(same(img.pixel(61, 21), kGround));  // outside the circle, inside its box
    EXPECT_TRUE(same(img.pixel(50, 47), Color::hex(0x4F8CFF)));
    EXPECT_TRUE(same(img.pixel(40, 40), kGround));  // rounded-off corner
}

TEST_F(CanvasTest, StrokeStaysInsideTheRectangle) {
    QImage img = blank(40, 40);
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        canvas.stroke_rect(Rect::from_xywh(10, 10, 20, 20), kRed, 2.0);
    }
    EXPECT_TRUE(same(img.pixel(10, 20), kRed));
    EXPECT_TRUE(same(img.pixel(11, 20), kRed));
    EXPECT_TRUE(same(img.pixel(29, 20), kRed));
    EXPECT_TRUE(same(img.pixel(9, 20), kGround));
    EXPECT_TRUE(same(img.pixel(30, 20), kGround));
    EXPECT_TRUE(same(img.pixel(20, 20), kGround));
}

TEST_F(CanvasTest, OpacityAndClipLastUntilRestore) {
    QImage img = blank(60, 20, Color::hex(0x000000));
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        canvas.save();
        canvas.multiply_opacity(0.5);
        canvas.multiply_opacity(0.5);
        EXPECT_DOUBLE_EQ(canvas.opacity(), 0.25);
        canvas.clip(Rect::from_xywh(0, 0, 20, 20));
        canvas.fill_rect(Rect::from_xywh(0, 0, 40, 20), Color::hex(0xFFFFFF));
        canvas.restore();
        EXPECT_DOUBLE_EQ(canvas.opacity(), 1.0);
        canvas.restore();  // unbalanced: ignored
        EXPECT_EQ(canvas.depth(), 0u);
        canvas.fill_rect(Rect::from_xywh(40, 0, 20, 20), Color::hex(0xFFFFFF));
        canvas.save();  // left open: the canvas closes it
    }
    EXPECT_NEAR(qRed(img.pixel(10, 10)), 64, 2);
    EXPECT_EQ(qRed(img.pixel(30, 10)), 0);  // clipped away
    EXPECT_EQ(qRed(img.pixel(50, 10)), 255);
}

TEST_F(CanvasTest, StarPolygonIsFilledAtItsCentre) {
    QImage img = blank(40, 40);
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        const auto pts = orvo_ui::star_points({20, 20}, 16);
        canvas.fill_polygon(pts, Color::hex(0xD29922));
    }
    EXPECT_TRUE(same(img.pixel(20, 20), Color::hex(0xD29922)));
    EXPECT_TRUE(same(img.pixel(19, 10), Color::hex(0xD29922)));  // top spike
    EXPECT_TRUE(same(img.pixel(2, 38), kGround));
}

TEST_F(CanvasTest, DegenerateShapesDrawNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QImage img = blank(40, 40);
    const QImage untouched = img.copy();
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        canvas.fill_rect({30, 30, 10, 10}, kRed);  // inverted
        canvas.fill_rounded_rect({30, 5, 10, 20}, 4, kRed);
        canvas.stroke_rect({nan, 0, 20, 20}, kRed, 2);
        canvas.fill_rect({0, 0, 40, 40}, kRed.with_alpha(0.0));  // transparent
        canvas.fill_circle({20, 20}, -5, kRed);
        canvas.fill_circle({nan, 20}, 5, kRed);
        canvas.line({0, 0}, {40, 40}, kRed, 0);
        const orvo_ui::Point bad[] = {{0, 0}, {40, nan}, {0, 40}};
        canvas.fill_polygon(bad, kRed);
        canvas.save();
        canvas.clip({20, 20, 10, 10});  // inverted clip: nothing shows until restore
        canvas.fill_rect({0, 0, 40, 40}, kRed);
        canvas.restore();
    }
    EXPECT_EQ(img, untouched);
}

std::shared_ptr<const std::vector<std::uint8_t>> pixels(int w, int h, Color c) {
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    for (int i = 0; i < w * h; ++i) {
        bytes->insert(bytes->end(), {c.r, c.g, c.b, c.a});
    }
    return bytes;
}

TEST_F(CanvasTest, ImageWrapsTheBytesWithoutCopyingAndKeepsThemAlive) {
    auto bytes = pixels(4, 2, kRed);
    const std::uint8_t* raw = bytes->data();
    auto made = Image::from_rgba(bytes, 4, 2);
    ASSERT_TRUE(std::holds_alternative<Image>(made));
    const Image image = std::get<Image>(made);
    EXPECT_EQ(image.data(), raw);

    QImage wrapped = image.to_qimage();
    EXPECT_EQ(wrapped.constBits(), raw);
    const long before = bytes.use_count();
    {
        QImage copy = wrapped;  // implicit sharing, still the same bytes
        EXPECT_EQ(copy.constBits(), raw);
    }
    bytes.reset();
    EXPECT_TRUE(same(wrapped.pixel(3, 1), kRed));  // the QImage still holds the buffer
    EXPECT_GE(before, 3);
}

TEST_F(CanvasTest, DrawnImageScalesIntoItsTarget) {
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(
        std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 255, 255});  // red | blue, 2x1
    const Image image = std::get<Image>(Image::from_rgba(bytes, 2, 1));
    QImage img = blank(40, 20);
    {
        QPainter painter(&img);
        Canvas canvas(painter);
        canvas.draw_image(image, Rect::from_xywh(0, 0, 40, 20), orvo_ui::ImageScaling::Fast);
    }
    EXPECT_TRUE(same(img.pixel(5, 10), Color::hex(0xFF0000)));
    EXPECT_TRUE(same(img.pixel(35, 10), Color::hex(0x0000FF)));
}

struct ImageErrorCase {
    const char* name;
    std::size_t bytes;
    bool null_buffer;
    int w, h, stride;
    orvo_ui::ImageError error;
};

TEST_F(CanvasTest, ImageRejectsBuffersThatDoNotMatchTheSize) {
    const ImageErrorCase cases[] = {
        {"zero width", 16, false, 0, 2, 8, orvo_ui::ImageError::EmptySize},
        {"negative height", 16, false, 2, -1, 8, orvo_ui::ImageError::EmptySize},
        {"stride shorter than a row", 64, false, 4, 2, 12, orvo_ui::ImageError::StrideTooSmall},
        {"one byte short", 31, false, 4, 2, 16, orvo_ui::ImageError::BufferTooSmall},
        {"padding on the last row is optional", 40, false, 4, 2, 24,
         orvo_ui::ImageError::MissingBuffer /* unused: this one succeeds */},
        {"no buffer", 0, true, 1, 1, 4, orvo_ui::ImageError::MissingBuffer},
    };
    for (const ImageErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes =
            c.null_buffer ? nullptr : std::make_shared<const std::vector<std::uint8_t>>(c.bytes);
        auto made = Image::from_rgba(bytes, c.w, c.h, c.stride);
        if (std::string_view(c.name) == "padding on the last row is optional") {
            EXPECT_TRUE(std::holds_alternative<Image>(made));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<orvo_ui::ImageError>(made));
        EXPECT_EQ(std::get<orvo_ui::ImageError>(made), c.error);
        EXPECT_FALSE(orvo_ui::describe(c.error).empty());
    }
}

struct ColorCase {
    const char* name;
    Color got;
    Color want;
};

TEST(ColorTest, AlphaAndMixHelpers) {
    const Color accent = Color::hex(0x4F8CFF);
    const ColorCase cases[] = {
        {"with_alpha sets", accent.with_alpha(0.16), {0x4F, 0x8C, 0xFF, 41}},
        {"with_alpha clamps", accent.with_alpha(2.0), {0x4F, 0x8C, 0xFF, 255}},
        {"faded multiplies", accent.with_alpha(0.5).faded(0.5), {0x4F, 0x8C, 0xFF, 64}},
        {"lighter 8%", Color::hex(0x000000).lighter(0.08), {20, 20, 20, 255}},
        {"lighter keeps alpha", accent.with_alpha(0.5).lighter(1.0), {255, 255, 255, 128}},
        {"mix halfway", Color::hex(0x000000).mix(Color::hex(0xFFFFFF), 0.5), {128, 128, 128, 255}},
        {"mix clamps t", Color::hex(0x102030).mix(Color::hex(0xFFFFFF), -1.0),
         Color::hex(0x102030)},
    };
    for (const ColorCase& c : cases) {
        EXPECT_EQ(c.got, c.want) << c.name;
    }
}

}  // namespace
