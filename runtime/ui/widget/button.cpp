#include "runtime/ui/widget/button.hpp"

namespace orvo_ui::widget::button {

double Button::width_for(const text_render::TextRenderer& text, std::string_view label, double size,
                         double padding) {
    return text.measure_weighted(label, size) + padding;
}

void Button::paint(Canvas& canvas, const text_render::TextRenderer& text,
                   const tokens::colors::Colors& colors, Rect rect) const {
    canvas.save();
    if (disabled_) {
        canvas.multiply_opacity(kDisabledOpacity);
    }
    const bool hover = hovered_ && !disabled_;
    Color fill = primary_ ? colors.accent : colors.surface_raised;
    if (hover) {
        fill = fill.lighter(kHoverLighten);
    }
    canvas.fill_rounded_rect(rect, kRadius, fill);
    if (!primary_) {
        canvas.stroke_rounded_rect(rect, kRadius, colors.border, 1.0);
    }
    const double inner = rect.width() - 2.0 * 6.0;
    const std::string shown = text.elide(label_, text_size_, inner, text_render::Weight::Weighted);
    const double w = text.measure_weighted(shown, text_size_);
    const double h = text.line_height(text_size_);
    const Point at{rect.left + (rect.width() - w) / 2.0, rect.top + (rect.height() - h) / 2.0};
    text.draw_text_weighted(canvas, shown, at, text_size_,
                            primary_ ? colors.accent_text : colors.text);
    canvas.restore();
}

}  // namespace orvo_ui::widget::button
