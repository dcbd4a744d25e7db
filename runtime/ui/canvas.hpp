#pragma once
// Antialiased drawing in logical pixels over a QPainter that the caller owns (the window's
// backing store or an offscreen QImage, with the device scale already applied).

#include <array>
#include <cstddef>
#include <span>

#include "runtime/ui/color.hpp"
#include "runtime/ui/geometry.hpp"
#include "runtime/ui/image.hpp"

class QPainter;

namespace orvo_ui {

enum class ImageScaling { Smooth, Fast };

class Canvas {
  public:
    explicit Canvas(QPainter& painter);
    // Undoes any save() that was not restored, so the painter leaves as it came.
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Strokes lie inside the shape's rectangle, so a 1 px edge stays within its bounds.
    void fill_rect(Rect r, Color c);
    void stroke_rect(Rect r, Color c, double width);
    void fill_rounded_rect(Rect r, double radius, Color c);
    void stroke_rounded_rect(Rect r, double radius, Color c, double width);
    void fill_circle(Point center, double radius, Color c);
    void stroke_circle(Point center, double radius, Color c, double width);
    void line(Point from, Point to, Color c, double width);
    void fill_polygon(std::span<const Point> points, Color c);
    void stroke_polygon(std::span<const Point> points, Color c, double width);
    void draw_image(const Image& image, Rect target, ImageScaling scaling = ImageScaling::Smooth);

    // State stack: opacity and clipping set after save() last until the matching restore().
    // A restore() without a save() does nothing.
    void save();
    void restore();
    std::size_t depth() const { return depth_; }
    // Multiplies the current opacity by `factor` (0..1).
    void multiply_opacity(double factor);
    double opacity() const;
    // Intersects the clip with `r`.
    void clip(Rect r);

    QPainter& painter() { return painter_; }

  private:
    QPainter& painter_;
    std::size_t depth_ = 0;
};

// Runs `draw` between save() and restore().
template <typename Fn>
void with_saved(Canvas& canvas, Fn&& draw) {
    canvas.save();
    draw();
    canvas.restore();
}

// Points of a five-pointed star centred at `center`, first point up; `inner` is the radius
// of the notches as a fraction of `outer`.
std::array<Point, 10> star_points(Point center, double outer, double inner_ratio = 0.45);

}  // namespace orvo_ui
