#include "runtime/ui/widget/tooltip.hpp"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>

#include <functional>
#include <vector>

#include "gui_app.hpp"

namespace {

using namespace std::chrono_literals;
using orvo_ui::Rect;
using orvo_ui::widget::tooltip::Clock;
using orvo_ui::widget::tooltip::TooltipHost;

const Rect kStar = Rect::from_xywh(100, 50, 16, 16);
const Rect kRail = Rect::from_xywh(12, 72, 40, 40);

// One step of a scenario: an action at a time offset, then what the host should say.
struct Step {
    std::chrono::milliseconds at;
    std::function<bool(TooltipHost&, Clock::time_point)> act;
    bool want_return;
    bool want_pending;
    const char* want_visible;  // text of the visible tooltip, nullptr for none
};

auto over(const char* id, const char* text, Rect r) {
    return [=](TooltipHost& h, Clock::time_point now) { return h.on_pointer(id, text, r, now); };
}
auto tick() {
    return [](TooltipHost& h, Clock::time_point now) { return h.tick(now); };
}
auto dismiss() {
    return [](TooltipHost& h, Clock::time_point) { return h.dismiss(); };
}
auto leave() {
    return [](TooltipHost& h, Clock::time_point) { return h.leave(); };
}

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

TEST(TooltipHostTest, ShowsAfterTheDelayAndHidesOnLeaveOrDismiss) {
    const Scenario scenarios[] = {
        {"shows only once the delay has passed",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {499ms, tick(), false, true, nullptr},
          {500ms, tick(), true, false, "Add to favourites"},
          {900ms, tick(), false, false, "Add to favourites"}}},
        {"resting on the same element keeps the timing",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {300ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {500ms, tick(), true, false, "Add to favourites"}}},
        {"a new text for the same element replaces the shown text",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {600ms, tick(), true, false, "Add to favourites"},
          {700ms, over("star", "Remove from favourites", kStar), false, false,
           "Remove from favourites"}}},
        {"moving to another element restarts the delay and hides the shown one",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {600ms, tick(), true, false, "Add to favourites"},
          {700ms, over("rail.connections", "Connections", kRail), true, true, nullptr},
          {1100ms, tick(), false, true, nullptr},
          {1200ms, tick(), true, false, "Connections"}}},
        {"leaving hides and forgets",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {600ms, tick(), true, false, "Add to favourites"},
          {650ms, leave(), true, false, nullptr},
          {2000ms, tick(), false, false, nullptr}}},
        {"leaving before the delay cancels",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {100ms, leave(), false, false, nullptr},
          {600ms, tick(), false, false, nullptr}}},
        {"a dismissed element stays quiet while the pointer rests on it",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {600ms, tick(), true, false, "Add to favourites"},
          {650ms, dismiss(), true, false, nullptr},
          {700ms, over("star", "Remove from favourites", kStar), false, false, nullptr},
          {2000ms, tick(), false, false, nullptr},
          {2100ms, over("rail.new", "Add connection (Ctrl+N)", kRail), false, true, nullptr},
          {2600ms, tick(), true, false, "Add connection (Ctrl+N)"}}},
        {"dismissing a pending tooltip cancels it",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {100ms, dismiss(), false, false, nullptr},
          {800ms, tick(), false, false, nullptr}}},
        {"coming back after leaving starts over",
         {{0ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {600ms, tick(), true, false, "Add to favourites"},
          {700ms, dismiss(), true, false, nullptr},
          {710ms, leave(), false, false, nullptr},
          {720ms, over("star", "Add to favourites", kStar), false, true, nullptr},
          {1219ms, tick(), false, true, nullptr},
          {1220ms, tick(), true, false, "Add to favourites"}}},
    };
    const Clock::time_point t0 = Clock::now();
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        TooltipHost host(500ms);
        for (const Step& step : s.steps) {
            SCOPED_TRACE(step.at.count());
            EXPECT_EQ(step.act(host, t0 + step.at), step.want_return);
            EXPECT_EQ(host.pending(), step.want_pending);
            if (step.want_visible == nullptr) {
                EXPECT_EQ(host.visible(), nullptr);
            } else {
                ASSERT_NE(host.visible(), nullptr);
                EXPECT_EQ(host.visible()->text, step.want_visible);
            }
        }
    }
}

TEST(TooltipHostTest, DueIsTheEndOfTheDelayWhilePending) {
    const Clock::time_point t0 = Clock::now();
    TooltipHost host(500ms);
    EXPECT_FALSE(host.due().has_value());
    host.on_pointer("menu", "Open navigation", kRail, t0);
    ASSERT_TRUE(host.due().has_value());
    EXPECT_EQ(*host.due(), t0 + 500ms);
    host.tick(t0 + 500ms);
    EXPECT_FALSE(host.due().has_value());
}

TEST(TooltipHostTest, BubbleStaysInsideTheWindow) {
    ui_test::gui_app();
    orvo_ui::text_render::TextRenderer text;
    orvo_ui::tokens::colors::Colors colors;
    QImage img(300, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    orvo_ui::Canvas canvas(painter);
    const Rect bounds{0, 0, 300, 200};
    struct Case {
        const char* name;
        Rect anchor;
        bool below;
    };
    const Case cases[] = {
        {"below a rail icon at the left edge", kRail, true},
        {"above an element at the bottom", Rect::from_xywh(120, 180, 20, 16), false},
        {"clamped at the right edge", Rect::from_xywh(290, 20, 10, 10), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const orvo_ui::widget::tooltip::Tooltip tip{"id", "Add connection (Ctrl+N)", c.anchor};
        const Rect r = draw_hover_tooltip(canvas, text, colors, tip, bounds);
        EXPECT_GE(r.left, bounds.left);
        EXPECT_LE(r.right, bounds.right);
        EXPECT_GE(r.top, bounds.top);
        EXPECT_LE(r.bottom, bounds.bottom);
        EXPECT_EQ(r.top >= c.anchor.bottom, c.below);
        EXPECT_GT(r.width(), text.measure(tip.text, 12));
    }
}

}  // namespace
