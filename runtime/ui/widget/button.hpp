#pragma once
// Push buttons: a rounded rectangle with a centred label, primary or secondary, with hover and
// disabled looks.

#include <string>
#include <string_view>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"

namespace orvo_ui::widget::button {

class Button {
  public:
    static constexpr double kRadius = 8.0;
    static constexpr double kHoverLighten = 0.08;
    static constexpr double kDisabledOpacity = 0.45;
    static constexpr double kTextSize = 13.0;

    explicit Button(std::string label) : label_(std::move(label)) {}
    Button& primary(bool on = true) {
        primary_ = on;
        return *this;
    }
    Button& hovered(bool on = true) {
        hovered_ = on;
        return *this;
    }
    Button& disabled(bool on = true) {
        disabled_ = on;
        return *this;
    }
    Button& text_size(double size) {
        text_size_ = size;
        return *this;
    }

    const std::string& label() const { return label_; }

    // Width of a button whose label (weighted) is padded by `padding` on both sides together.
    static double width_for(const text_render::TextRenderer& text, std::string_view label,
                            double size = kTextSize, double padding = 24.0);

    // Draws the button into `rect`; a label too long for it is elided.
    void paint(Canvas& canvas, const text_render::TextRenderer& text,
               const tokens::colors::Colors& colors, Rect rect) const;

  private:
    std::string label_;
    bool primary_ = false;
    bool hovered_ = false;
    bool disabled_ = false;
    double text_size_ = kTextSize;
};

}  // namespace orvo_ui::widget::button
