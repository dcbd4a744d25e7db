#pragma once
// State of the navigation pane that slides in from the left: how far it is open, whether the
// user opened or closed it explicitly, and the window facts its openness depends on.

#include <optional>

namespace orvo_ui::widget::nav_split {

struct FlapState {
    double nav_progress = 1.0;            // 0 closed .. 1 open, animated
    std::optional<bool> nav_open;         // explicit choice; unset follows the layout
    std::optional<bool> nav_last_narrow;  // the layout seen last; unset before the first
    bool nav_wide_default = true;         // wide windows open the pane by default
    std::optional<bool> scene_nav;        // one-shot override for review scenes
    bool narrow = false;
    bool reduce_motion = false;

    // Open when chosen so, or, with no choice, in a wide window that opens by default.
    bool is_open() const { return nav_open.value_or(!narrow && nav_wide_default); }
    double target() const { return is_open() ? 1.0 : 0.0; }

    // The animated openness, 0 to 1.
    double reveal() const;
    // How far the pane has slid in, 0 (fully left of the window) to 1 (in place).
    double slide() const;
    // The pane's visible width and its left edge offset for a pane `width` wide.
    double revealed_width(double width) const { return width * reveal(); }
    double slide_offset(double width) const { return -(1.0 - slide()) * width; }

    // Moves nav_progress towards the target for a frame `dt_seconds` long (capped at 0.1 s):
    // exponential approach at rate 14/s, snapping once closer than 0.001; with reduced motion
    // it jumps. Returns whether the pane is still moving.
    bool animate(double dt_seconds);
    // Jumps to the target at once.
    void snap() { nav_progress = target(); }
    // Whether another frame is needed to finish the motion.
    bool moving() const;
};

}  // namespace orvo_ui::widget::nav_split
