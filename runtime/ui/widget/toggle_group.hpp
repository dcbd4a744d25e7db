#pragma once
// A segmented control: equal segments in one rounded track, the selected one filled with the
// accent. Painting returns each segment's rectangle for hit testing.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/text_render.hpp"
#include "runtime/ui/tokens/colors.hpp"

namespace orvo_ui::widget::toggle_group {

class ToggleGroup {
  public:
    static constexpr double kRadius = 8.0;
    static constexpr double kInset = 3.0;  // between the track and a filled segment
    static constexpr double kTextSize = 13.0;

    explicit ToggleGroup(std::vector<std::string> labels) : labels_(std::move(labels)) {}
    // The selected segment; none (or an index past the end) selects nothing.
    ToggleGroup& selected(std::optional<std::size_t> index) {
        selected_ = index;
        return *this;
    }
    ToggleGroup& hovered(std::optional<std::size_t> index) {
        hovered_ = index;
        return *this;
    }

    // Equal segments of `rect`, left to right.
    static std::vector<Rect> segment_rects(Rect rect, std::size_t count);

    std::vector<Rect> paint(Canvas& canvas, const text_render::TextRenderer& text,
                            const tokens::colors::Colors& colors, Rect rect) const;

  private:
    std::vector<std::string> labels_;
    std::optional<std::size_t> selected_;
    std::optional<std::size_t> hovered_;
};

}  // namespace orvo_ui::widget::toggle_group
