#include "runtime/ui/widget/tooltip.hpp"

#include <algorithm>

namespace orvo_ui::widget::tooltip {
namespace {

constexpr double kTextSize = 12.0;
constexpr double kPadX = 8.0;
constexpr double kPadY = 5.0;
constexpr double kGap = 6.0;
constexpr double kMargin = 4.0;
constexpr double kRadius = 6.0;

}  // namespace

bool TooltipHost::on_pointer(std::string id, std::string text, Rect anchor, Clock::time_point now) {
    if (current_ && current_->id == id) {
        current_->text = std::move(text);
        current_->anchor = anchor;
        return false;
    }
    const bool was_shown = shown_;
    current_ = Tooltip{std::move(id), std::move(text), anchor};
    since_ = now;
    shown_ = false;
    suppressed_ = false;
    return was_shown;
}

bool TooltipHost::leave() {
    const bool was_shown = shown_;
    current_.reset();
    shown_ = false;
    suppressed_ = false;
    return was_shown;
}

bool TooltipHost::dismiss() {
    const bool was_shown = shown_;
    shown_ = false;
    suppressed_ = current_.has_value();
    return was_shown;
}

bool TooltipHost::tick(Clock::time_point now) {
    if (!pending() || now < since_ + delay_) {
        return false;
    }
    shown_ = true;
    return true;
}

std::optional<Clock::time_point> TooltipHost::due() const {
    if (!pending()) {
        return std::nullopt;
    }
    return since_ + delay_;
}

Rect draw_hover_tooltip(Canvas& canvas, const text_render::TextRenderer& text,
                        const tokens::colors::Colors& colors, const Tooltip& tip, Rect bounds) {
    const double w = text.measure(tip.text, kTextSize) + 2.0 * kPadX;
    const double h = text.line_height(kTextSize) + 2.0 * kPadY;
    double top = tip.anchor.bottom + kGap;
    if (top + h > bounds.bottom - kMargin && tip.anchor.top - kGap - h >= bounds.top + kMargin) {
        top = tip.anchor.top - kGap - h;
    }
    const double centre = (tip.anchor.left + tip.anchor.right) / 2.0;
    const double max_left = std::max(bounds.left + kMargin, bounds.right - kMargin - w);
    const double left = std::clamp(centre - w / 2.0, bounds.left + kMargin, max_left);
    const Rect bubble = Rect::from_xywh(left, top, w, h);
    canvas.fill_rounded_rect(bubble, kRadius, colors.surface_raised);
    canvas.stroke_rounded_rect(bubble, kRadius, colors.border, 1.0);
    text.draw_text(canvas, tip.text, {left + kPadX, top + kPadY}, kTextSize, colors.text);
    return bubble;
}

}  // namespace orvo_ui::widget::tooltip
