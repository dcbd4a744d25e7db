#pragma once
// Logical-pixel geometry shared by the layout, painting and hit testing.

namespace orvo_ui {

struct Point {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const Point&) const = default;
};

// A rectangle as left, top, right, bottom.
struct Rect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    static Rect from_xywh(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
    Rect translated(double dx, double dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    bool operator==(const Rect&) const = default;
};

}  // namespace orvo_ui
