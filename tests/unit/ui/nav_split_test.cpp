#include "runtime/ui/widget/nav_split.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using orvo_ui::widget::nav_split::FlapState;

TEST(FlapStateTest, StartsAsTheApplicationExpects) {
    const FlapState s;
    EXPECT_EQ(s.nav_progress, 1.0);
    EXPECT_FALSE(s.nav_open.has_value());
    EXPECT_FALSE(s.nav_last_narrow.has_value());
    EXPECT_TRUE(s.nav_wide_default);
    EXPECT_FALSE(s.scene_nav.has_value());
    EXPECT_FALSE(s.narrow);
    EXPECT_FALSE(s.reduce_motion);
}

struct OpenCase {
    const char* name;
    std::optional<bool> nav_open;
    bool narrow;
    bool wide_default;
    bool open;
};

TEST(FlapStateTest, OpennessFollowsTheChoiceElseTheLayout) {
    const OpenCase cases[] = {
        {"wide, no choice, open by default", std::nullopt, false, true, true},
        {"wide, no choice, closed by default", std::nullopt, false, false, false},
        {"narrow, no choice", std::nullopt, true, true, false},
        {"narrow, opened", true, true, true, true},
        {"wide, closed", false, false, true, false},
    };
    for (const OpenCase& c : cases) {
        FlapState s;
        s.nav_open = c.nav_open;
        s.narrow = c.narrow;
        s.nav_wide_default = c.wide_default;
        EXPECT_EQ(s.is_open(), c.open) << c.name;
        EXPECT_EQ(s.target(), c.open ? 1.0 : 0.0) << c.name;
    }
}

TEST(FlapStateTest, AnimationApproachesExponentiallyAndSnaps) {
    FlapState s;
    s.nav_open = false;
    // One 16 ms frame: 1 - e^(-14 × 0.016) of the way.
    EXPECT_TRUE(s.animate(0.016));
    EXPECT_NEAR(s.nav_progress, std::exp(-14.0 * 0.016), 1e-12);
    // A long stall counts as 0.1 s only.
    const double before = s.nav_progress;
    EXPECT_TRUE(s.animate(5.0));
    EXPECT_NEAR(s.nav_progress, before * std::exp(-1.4), 1e-12);
    int frames = 0;
    while (s.animate(0.016)) {
        ++frames;
        ASSERT_LT(frames, 200);
    }
    EXPECT_EQ(s.nav_progress, 0.0);
    EXPECT_FALSE(s.moving());
    // Negative or broken frame times do not run it backwards or poison it.
    s.nav_open = true;
    s.animate(-1.0);
    EXPECT_EQ(s.nav_progress, 0.0);
    s.animate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_GT(s.nav_progress, 0.0);
    EXPECT_LE(s.nav_progress, 1.0);
}

TEST(FlapStateTest, ReducedMotionJumpsToTheEnd) {
    FlapState s;
    s.reduce_motion = true;
    s.nav_progress = 0.0;
    s.nav_open = true;
    EXPECT_FALSE(s.moving());
    EXPECT_FALSE(s.animate(0.001));
    EXPECT_EQ(s.nav_progress, 1.0);
}

TEST(FlapStateTest, RevealAndSlideStayInRange) {
    struct Case {
        double progress;
        double reveal;
        double offset64;
    };
    const Case cases[] = {{0.0, 0.0, -64.0},
                          {0.25, 0.25, -48.0},
                          {1.0, 1.0, 0.0},
                          {1.3, 1.0, 0.0},
                          {-0.2, 0.0, -64.0}};
    for (const Case& c : cases) {
        FlapState s;
        s.nav_progress = c.progress;
        EXPECT_DOUBLE_EQ(s.reveal(), c.reveal) << c.progress;
        EXPECT_DOUBLE_EQ(s.slide_offset(64.0), c.offset64) << c.progress;
        EXPECT_DOUBLE_EQ(s.revealed_width(64.0), 64.0 * c.reveal) << c.progress;
    }
}

}  // namespace
