#include "runtime/ui/canvas.hpp"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvo_ui {
namespace {

QColor to_qcolor(Color c) {
    return QColor(c.r, c.g, c.b, c.a);
}

QRectF to_qrect(Rect r) {
    return QRectF(r.left, r.top, r.width(), r.height());
}

QPolygonF to_polygon(std::span<const Point> points) {
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& p : points) {
        poly.append(QPointF(p.x, p.y));
    }
    return poly;
}

// Inverted, empty or non-finite shapes draw nothing (layout arithmetic in a tiny window can
// produce them; Qt would otherwise normalise or misdraw them).
bool drawable(Rect r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) &&
           std::isfinite(r.bottom) && r.width() > 0.0 && r.height() > 0.0;
}

bool drawable(Point p, double radius) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(radius) && radius > 0.0;
}

bool drawable(std::span<const Point> points) {
    return std::all_of(points.begin(), points.end(),
                       [](Point p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

// A rectangle inset by half the stroke, so that the stroke's outer edge meets `r`.
Rect stroke_rect_for(Rect r, double width) {
    return r.inset(width / 2.0);
}

}  // namespace

Canvas::Canvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

Canvas::~Canvas() {
    while (depth_ > 0) {
        restore();
    }
}

void Canvas::fill_rect(Rect r, Color c) {
    if (!drawable(r)) {
        return;
    }
    painter_.fillRect(to_qrect(r), to_qcolor(c));
}

void Canvas::stroke_rect(Rect r, Color c, double width) {
    stroke_rounded_rect(r, 0.0, c, width);
}

void Canvas::fill_rounded_rect(Rect r, double radius, Color c) {
    if (!drawable(r)) {
        return;
    }
    if (!(radius > 0.0)) {
        fill_rect(r, c);
        return;
    }
    const double rad = std::min({radius, r.width() / 2.0, r.height() / 2.0});
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawRoundedRect(to_qrect(r), rad, rad);
}

void Canvas::stroke_rounded_rect(Rect r, double radius, Color c, double width) {
    if (!drawable(r) || !(width > 0.0) || !std::isfinite(width)) {
        return;
    }
    const Rect s = stroke_rect_for(r, width);
    if (s.width() < 0.0 || s.height() < 0.0) {
        return;
    }
    QPen pen(to_qcolor(c), width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    const double rad = std::clamp(radius - width / 2.0, 0.0, std::min(s.width(), s.height()) / 2.0);
    if (rad <= 0.0) {
        painter_.drawRect(to_qrect(s));
    } else {
        painter_.drawRoundedRect(to_qrect(s), rad, rad);
    }
}

void Canvas::fill_circle(Point center, double radius, Color c) {
    if (!drawable(center, radius)) {
        return;
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawEllipse(QPointF(center.x, center.y), radius, radius);
}

void Canvas::stroke_circle(Point center, double radius, Color c, double width) {
    if (!drawable(center, radius) || !(width > 0.0) || !std::isfinite(width)) {
        return;
    }
    painter_.setPen(QPen(to_qcolor(c), width));
    painter_.setBrush(Qt::NoBrush);
    const double r = std::max(0.0, radius - width / 2.0);
    painter_.drawEllipse(QPointF(center.x, center.y), r, r);
}

void Canvas::line(Point from, Point to, Color c, double width) {
    const Point ends[] = {from, to};
    if (!drawable(ends) || !(width > 0.0) || !std::isfinite(width)) {
        return;
    }
    QPen pen(to_qcolor(c), width);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
    painter_.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void Canvas::fill_polygon(std::span<const Point> points, Color c) {
    if (points.size() < 3 || !drawable(points)) {
        return;
    }
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(to_qcolor(c));
    painter_.drawPolygon(to_polygon(points), Qt::WindingFill);
}

void Canvas::stroke_polygon(std::span<const Point> points, Color c, double width) {
    if (points.size() < 2 || !drawable(points) || !(width > 0.0) || !std::isfinite(width)) {
        return;
    }
    QPen pen(to_qcolor(c), width);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolygon(to_polygon(points));
}

void Canvas::draw_image(const Image& image, Rect target, ImageScaling scaling) {
    if (!drawable(target)) {
        return;
    }
    const QImage wrapped = image.to_qimage();
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, scaling == ImageScaling::Smooth);
    painter_.drawImage(to_qrect(target), wrapped);
    painter_.restore();
}

void Canvas::save() {
    painter_.save();
    ++depth_;
}

void Canvas::restore() {
    if (depth_ == 0) {
        return;
    }
    painter_.restore();
    --depth_;
}

void Canvas::multiply_opacity(double factor) {
    const double f = std::isfinite(factor) ? std::clamp(factor, 0.0, 1.0) : 1.0;
    painter_.setOpacity(painter_.opacity() * f);
}

double Canvas::opacity() const {
    return painter_.opacity();
}

void Canvas::clip(Rect r) {
    // Clipping to nothing hides everything until restore(), as an empty area should.
    const Rect area = drawable(r) ? r : Rect{};
    painter_.setClipRect(to_qrect(area), Qt::IntersectClip);
}

std::array<Point, 10> star_points(Point center, double outer, double inner_ratio) {
    std::array<Point, 10> pts{};
    const double inner = outer * inner_ratio;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const double angle =
            -std::numbers::pi / 2.0 + static_cast<double>(i) * std::numbers::pi / 5.0;
        const double radius = (i % 2 == 0) ? outer : inner;
        pts[i] = {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)};
    }
    return pts;
}

}  // namespace orvo_ui
