#include "runtime/ui/widget/toggle_group.hpp"

namespace orvo_ui::widget::toggle_group {

std::vector<Rect> ToggleGroup::segment_rects(Rect rect, std::size_t count) {
    std::vector<Rect> out;
    if (count == 0) {
        return out;
    }
    out.reserve(count);
    const double w = rect.width() / static_cast<double>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double left = rect.left + w * static_cast<double>(i);
        // The last segment ends exactly at the track's edge, whatever the rounding.
        const double right = i + 1 == count ? rect.right : left + w;
        out.push_back({left, rect.top, right, rect.bottom});
    }
    return out;
}

std::vector<Rect> ToggleGroup::paint(Canvas& canvas, const text_render::TextRenderer& text,
                                     const tokens::colors::Colors& colors, Rect rect) const {
    const std::vector<Rect> segments = segment_rects(rect, labels_.size());
    canvas.fill_rounded_rect(rect, kRadius, colors.surface);
    canvas.stroke_rounded_rect(rect, kRadius, colors.border, 1.0);
    const double inner_radius = kRadius - kInset / 2.0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Rect seg = segments[i];
        const bool is_selected = selected_ == i;
        if (is_selected) {
            canvas.fill_rounded_rect(seg.inset(kInset), inner_radius, colors.accent);
        } else if (hovered_ == i) {
            canvas.fill_rounded_rect(seg.inset(kInset), inner_radius, colors.lift);
        }
        // A divider between two segments that are neither filled.
        if (i > 0 && !is_selected && selected_ != i - 1) {
            canvas.fill_rect({seg.left - 0.5, seg.top + 8.0, seg.left + 0.5, seg.bottom - 8.0},
                             colors.border);
        }
        const std::string label = text.elide(
            labels_[i], kTextSize, seg.width() - 2.0 * kInset - 8.0, text_render::Weight::Weighted);
        const double w = text.measure_weighted(label, kTextSize);
        const double h = text.line_height(kTextSize);
        text.draw_text_weighted(
            canvas, label, {seg.left + (seg.width() - w) / 2.0, seg.top + (seg.height() - h) / 2.0},
            kTextSize, is_selected ? colors.accent_text : colors.text);
    }
    return segments;
}

}  // namespace orvo_ui::widget::toggle_group
