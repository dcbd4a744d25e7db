// Pixel checks of the painted widgets and surfaces.

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include "gui_app.hpp"
#include "runtime/ui/chrome.hpp"
#include "runtime/ui/surface.hpp"
#include "runtime/ui/widget/button.hpp"
#include "runtime/ui/widget/toggle_group.hpp"

namespace {

using orvo_ui::Color;
using orvo_ui::Rect;
using orvo_ui::widget::button::Button;
using orvo_ui::widget::toggle_group::ToggleGroup;

QRgb rgb(Color c) {
    return qRgb(c.r, c.g, c.b);
}

class PaintTest : public ::testing::Test, private ui_test::WithGuiApp {
  protected:
    void SetUp() override {
        ui_test::gui_app();
        image_.fill(rgb(colors_.background));
    }
    QRgb at(int x, int y) const { return image_.pixel(x, y); }

    QImage image_{QImage(400, 120, QImage::Format_ARGB32_Premultiplied)};
    orvo_ui::text_render::TextRenderer text_;
    orvo_ui::tokens::colors::Colors colors_;
};

TEST_F(PaintTest, ButtonsUseTheirRoleColoursAndLightenOnHover) {
    struct Case {
        const char* name;
        bool primary;
        bool hovered;
        bool disabled;
        Color fill;
    };
    const Case cases[] = {
        {"primary", true, false, false, colors_.accent},
        {"primary hovered", true, true, false, colors_.accent.lighter(0.08)},
        {"secondary", false, false, false, colors_.surface_raised},
        {"secondary hovered", false, true, false, colors_.surface_raised.lighter(0.08)},
        {"disabled primary ignores hover", true, true, true,
         colors_.background.mix(colors_.accent, 0.45)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image_.fill(rgb(colors_.background));
        {
            QPainter painter(&image_);
            orvo_ui::Canvas canvas(painter);
            Button("Save")
                .primary(c.primary)
                .hovered(c.hovered)
                .disabled(c.disabled)
                .paint(canvas, text_, colors_, Rect::from_xywh(10, 10, 120, 40));
        }
        const QRgb px = at(16, 30);  // inside, left of the label
        EXPECT_NEAR(qRed(px), c.fill.r, 2);
        EXPECT_NEAR(qGreen(px), c.fill.g, 2);
        EXPECT_NEAR(qBlue(px), c.fill.b, 2);
        EXPECT_EQ(at(5, 30), rgb(colors_.background));
        // The label inks the middle.
        int label = 0;
        for (int x = 50; x < 90; ++x) {
            for (int y = 20; y < 40; ++y) {
                label += at(x, y) != px;
            }
        }
        EXPECT_GT(label, 20);
    }
}

TEST_F(PaintTest, ToggleGroupReturnsEqualSegmentsAndFillsTheSelectedOne) {
    std::vector<Rect> hits;
    {
        QPainter painter(&image_);
        orvo_ui::Canvas canvas(painter);
        hits = ToggleGroup({"SSH", "VNC", "Orvo"})
                   .selected(1)
                   .paint(canvas, text_, colors_, Rect::from_xywh(0, 0, 300, 40));
    }
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0], Rect(0, 0, 100, 40));
    EXPECT_EQ(hits[1], Rect(100, 0, 200, 40));
    EXPECT_EQ(hits[2], Rect(200, 0, 300, 40));
    EXPECT_EQ(at(106, 20), rgb(colors_.accent));
    EXPECT_EQ(at(6, 20), rgb(colors_.surface));
    EXPECT_EQ(at(206, 20), rgb(colors_.surface));

    const auto odd = ToggleGroup::segment_rects(Rect::from_xywh(3, 0, 100, 10), 3);
    EXPECT_EQ(odd.back().right, 103.0);
    EXPECT_TRUE(ToggleGroup::segment_rects(Rect::from_xywh(0, 0, 10, 10), 0).empty());
}

TEST_F(PaintTest, CardsPillsEdgesAndHairlines) {
    Rect pill;
    {
        QPainter painter(&image_);
        orvo_ui::Canvas canvas(painter);
        orvo_ui::surface::card(canvas, Rect::from_xywh(10, 10, 100, 60), colors_);
        orvo_ui::surface::edge_on(canvas, Rect::from_xywh(120, 10, 100, 60), colors_);
        pill = orvo_ui::surface::pill(canvas, text_, {240, 10}, "Needs access", colors_.busy);
        orvo_ui::chrome::shell::chrome_hairline(canvas, Rect::from_xywh(0, 80, 64, 40),
                                                orvo_ui::chrome::shell::Edge::Right, colors_);
    }
    EXPECT_EQ(at(60, 10), rgb(colors_.border));  // 1 px border
    EXPECT_EQ(at(60, 11), rgb(colors_.surface));
    EXPECT_EQ(at(170, 10), rgb(colors_.accent));  // 2 px selection edge
    EXPECT_EQ(at(170, 11), rgb(colors_.accent));
    EXPECT_EQ(at(170, 12), rgb(colors_.background));
    EXPECT_EQ(at(63, 100), rgb(colors_.hairline));
    EXPECT_EQ(at(62, 100), rgb(colors_.background));
    EXPECT_GT(pill.width(), text_.measure("Needs access", 11.5));
    const QRgb fill =
        at(static_cast<int>(pill.left) + 3, static_cast<int>(pill.top + pill.height() / 2));
    const Color want = colors_.background.mix(colors_.busy, 0.16);
    EXPECT_NEAR(qRed(fill), want.r, 2);
    EXPECT_NEAR(qGreen(fill), want.g, 2);
    EXPECT_NEAR(qBlue(fill), want.b, 2);
}

TEST_F(PaintTest, DialogShadowDarkensNearbyAndFadesOut) {
    image_.fill(qRgb(200, 200, 200));  // light ground so the shadow shows
    const Rect box = Rect::from_xywh(100, 30, 120, 50);
    {
        QPainter painter(&image_);
        orvo_ui::Canvas canvas(painter);
        orvo_ui::surface::dialog(canvas, box, colors_);
    }
    EXPECT_EQ(at(160, 55), rgb(colors_.surface_raised));
    const int near = qRed(at(160, 83));  // just below the dialog
    const int mid = qRed(at(160, 95));   // half the blur away
    const int far = qRed(at(160, 115));  // beyond the blur
    EXPECT_LT(near, mid);
    EXPECT_LT(mid, far);
    EXPECT_GT(near, static_cast<int>(200 * 0.55));  // never darker than 40% black over it
    EXPECT_EQ(far, 200);
}

}  // namespace
