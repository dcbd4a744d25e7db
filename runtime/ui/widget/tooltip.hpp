#pragma once
// Hover tooltips: a tooltip shows once the pointer has rested on its element for the delay,
// and goes away when the pointer leaves or anything else happens. Time is passed in by the
// caller (a monotonic clock), so the host itself never reads a clock.

#include <chrono>
#include <optional>
#include <string>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"

namespace orvo_ui::widget::tooltip {

using Clock = std::chrono::steady_clock;

struct Tooltip {
    std::string id;    // which element it belongs to
    std::string text;  // what it says
    Rect anchor;       // the element's rectangle; the tooltip is placed next to it
};

class TooltipHost {
  public:
    explicit TooltipHost(std::chrono::milliseconds delay = std::chrono::milliseconds(500))
        : delay_(delay) {}

    std::chrono::milliseconds delay() const { return delay_; }

    // The pointer is over the element `id` at `now`. The same element again keeps its timing
    // (and takes a new text or anchor); another element hides the shown tooltip and starts
    // the delay anew. An element whose tooltip was dismissed stays quiet until the pointer
    // goes elsewhere. Returns whether a shown tooltip disappeared.
    bool on_pointer(std::string id, std::string text, Rect anchor, Clock::time_point now);
    // The pointer is over nothing with a tooltip. Returns whether a shown one disappeared.
    bool leave();
    // Hides the tooltip and forgets the pending one (a click, a key). Returns whether a shown
    // one disappeared.
    bool dismiss();

    // Shows the pending tooltip when its delay has passed. Returns whether visibility changed.
    bool tick(Clock::time_point now);

    // A tooltip waits for its delay.
    bool pending() const { return current_.has_value() && !shown_ && !suppressed_; }
    // When the pending tooltip will show.
    std::optional<Clock::time_point> due() const;
    // The tooltip on screen, if any.
    const Tooltip* visible() const { return shown_ ? &*current_ : nullptr; }

  private:
    std::chrono::milliseconds delay_;
    std::optional<Tooltip> current_;
    Clock::time_point since_{};
    bool shown_ = false;
    bool suppressed_ = false;
};

// Draws `tip` below its anchor (above when there is no room), centred on it and kept inside
// `bounds`. Returns the bubble's rectangle.
Rect draw_hover_tooltip(Canvas& canvas, const text_render::TextRenderer& text,
                        const tokens::colors::Colors& colors, const Tooltip& tip, Rect bounds);

}  // namespace orvo_ui::widget::tooltip
