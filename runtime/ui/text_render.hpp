#pragma once
// Measuring and drawing text in logical pixels: proportional UI text and monospace
// terminal cells. Sizes are pixel sizes; text_scale multiplies every UI size. Fonts are
// cached per size and weight. Use on the UI thread only.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

#include "runtime/ui/canvas.hpp"
#include "runtime/ui/color.hpp"
#include "runtime/ui/geometry.hpp"

namespace orvo_ui::text_render {

enum class Weight { Regular, Weighted };

struct CellMetrics {
    double advance = 0.0;      // width of one cell
    double line_height = 0.0;  // height of one row
    double ascent = 0.0;       // top of the row to the baseline
};

class TextRenderer {
  public:
    // Needs a QGuiApplication; loads the fonts if the platform does not list them.
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    double text_scale() const { return text_scale_; }
    // Clamped to 0.5..4; non-finite values are ignored.
    void set_text_scale(double scale);

    // Advance width of `text` (UTF-8; invalid bytes count as U+FFFD).
    double measure(std::string_view text, double size) const;
    double measure_weighted(std::string_view text, double size) const;
    double measure_with(std::string_view text, double size, Weight weight) const;

    // Draws one line with its line box's top-left corner at `top_left`.
    void draw_text(Canvas& canvas, std::string_view text, Point top_left, double size,
                   Color color) const;
    void draw_text_weighted(Canvas& canvas, std::string_view text, Point top_left, double size,
                            Color color) const;
    void draw_with(Canvas& canvas, std::string_view text, Point top_left, double size, Color color,
                   Weight weight) const;

    // Height of one line of UI text: 1.25 × size × text_scale.
    double line_height(double size) const;
    // Distance from the top of the line box to the baseline.
    double ascent(double size, Weight weight = Weight::Regular) const;

    // `text` cut at a character boundary and ended with "…" so that it fits `max_width`;
    // unchanged when it already fits, "" when not even "…" fits.
    std::string elide(std::string_view text, double size, double max_width,
                      Weight weight = Weight::Regular) const;

    // Terminal cells: sizes and advances are taken as given (the grid is the caller's
    // geometry), not multiplied by text_scale.
    CellMetrics mono_metrics(double size) const;
    // Draws one run of cells, cell i at top_left.x + i × advance, all in one colour. Blank
    // cells (U+0020, U+0000) draw nothing. Characters the monospace font lacks are drawn
    // one by one with a fallback font, still on the grid.
    void draw_cells(Canvas& canvas, std::u32string_view cells, Point top_left, double size,
                    double line_height, double advance, Color color, bool bold) const;

    // The family the UI text resolved to (for checks and diagnostics).
    std::string resolved_ui_family() const;
    std::string resolved_mono_family() const;

  private:
    struct Face;
    using FaceKey = std::tuple<bool, bool, std::int64_t>;  // mono, weighted, size in 1/64 px

    const Face& face(bool mono, bool weighted, double pixel_size) const;

    double text_scale_ = 1.0;
    mutable std::map<FaceKey, std::unique_ptr<Face>> faces_;
};

}  // namespace orvo_ui::text_render
