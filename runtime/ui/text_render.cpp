#include "runtime/ui/text_render.hpp"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/ui/fonts.hpp"

namespace orvo_ui::text_render {

// One font at one size. Qt fonts take whole pixel sizes, so a fractional size is drawn from
// the nearest whole size scaled by `scale`; measuring applies the same factor.
struct TextRenderer::Face {
    QFont font;
    QFontMetricsF metrics{QFont()};
    double scale = 1.0;
    QRawFont raw;  // monospace faces only: the cell fast path
};

namespace {

constexpr double kLineHeightFactor = 1.25;
constexpr double kMinScale = 0.5;
constexpr double kMaxScale = 4.0;
constexpr double kMinPixelSize = 1.0;
constexpr double kMaxPixelSize = 512.0;
constexpr std::size_t kMaxFaces = 256;

QString qt_string(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QColor to_qcolor(Color c) {
    return QColor(c.r, c.g, c.b, c.a);
}

double clamp_size(double size) {
    if (!std::isfinite(size)) {
        return kMinPixelSize;
    }
    return std::clamp(size, kMinPixelSize, kMaxPixelSize);
}

}  // namespace

TextRenderer::TextRenderer() {
    fonts::ensure_loaded();
}

TextRenderer::~TextRenderer() = default;

void TextRenderer::set_text_scale(double scale) {
    if (!std::isfinite(scale)) {
        return;
    }
    text_scale_ = std::clamp(scale, kMinScale, kMaxScale);
}

const TextRenderer::Face& TextRenderer::face(bool mono, bool weighted, double pixel_size) const {
    const double size = clamp_size(pixel_size);
    const FaceKey key{mono, weighted, std::llround(size * 64.0)};
    auto it = faces_.find(key);
    if (it != faces_.end()) {
        return *it->second;
    }
    if (faces_.size() >= kMaxFaces) {
        faces_.clear();  // a text scale that keeps changing must not grow the cache forever
    }
    auto f = std::make_unique<Face>();
    const double whole = std::max(1.0, std::round(size));
    f->font = QFont(qt_string(mono ? fonts::kMonoFamily : fonts::kUiFamily));
    f->font.setPixelSize(static_cast<int>(whole));
    f->font.setWeight(weighted ? QFont::DemiBold : QFont::Normal);
    f->font.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    f->font.setKerning(!mono);
    f->metrics = QFontMetricsF(f->font);
    f->scale = size / whole;
    if (mono) {
        f->raw = QRawFont::fromFont(f->font);
        if (f->raw.isValid()) {
            f->raw.setPixelSize(size);
        }
    }
    return *faces_.emplace(key, std::move(f)).first->second;
}

double TextRenderer::measure(std::string_view text, double size) const {
    return measure_with(text, size, Weight::Regular);
}

double TextRenderer::measure_weighted(std::string_view text, double size) const {
    return measure_with(text, size, Weight::Weighted);
}

double TextRenderer::measure_with(std::string_view text, double size, Weight weight) const {
    if (text.empty()) {
        return 0.0;
    }
    const Face& f = face(false, weight == Weight::Weighted, size * text_scale_);
    return f.metrics.horizontalAdvance(qt_string(text)) * f.scale;
}

void TextRenderer::draw_text(Canvas& canvas, std::string_view text, Point top_left, double size,
                             Color color) const {
    draw_with(canvas, text, top_left, size, color, Weight::Regular);
}

void TextRenderer::draw_text_weighted(Canvas& canvas, std::string_view text, Point top_left,
                                      double size, Color color) const {
    draw_with(canvas, text, top_left, size, color, Weight::Weighted);
}

void TextRenderer::draw_with(Canvas& canvas, std::string_view text, Point top_left, double size,
                             Color color, Weight weight) const {
    if (text.empty() || color.a == 0 || !std::isfinite(top_left.x) || !std::isfinite(top_left.y)) {
        return;
    }
    const double baseline = top_left.y + ascent(size, weight);
    const Face& f = face(false, weight == Weight::Weighted, size * text_scale_);
    QPainter& p = canvas.painter();
    p.save();
    p.setFont(f.font);
    p.setPen(to_qcolor(color));
    p.translate(top_left.x, baseline);
    if (f.scale != 1.0) {
        p.scale(f.scale, f.scale);
    }
    p.drawText(QPointF(0.0, 0.0), qt_string(text));
    p.restore();
}

double TextRenderer::line_height(double size) const {
    return kLineHeightFactor * clamp_size(size * text_scale_);
}

double TextRenderer::ascent(double size, Weight weight) const {
    const Face& f = face(false, weight == Weight::Weighted, size * text_scale_);
    const double font_ascent = f.metrics.ascent() * f.scale;
    const double font_height = (f.metrics.ascent() + f.metrics.descent()) * f.scale;
    return (line_height(size) - font_height) / 2.0 + font_ascent;
}

std::string TextRenderer::elide(std::string_view text, double size, double max_width,
                                Weight weight) const {
    if (measure_with(text, size, weight) <= max_width) {
        return std::string(text);
    }
    const Face& f = face(false, weight == Weight::Weighted, size * text_scale_);
    const QString elided =
        f.metrics.elidedText(qt_string(text), Qt::ElideRight, std::max(0.0, max_width / f.scale));
    return elided.toStdString();
}

CellMetrics TextRenderer::mono_metrics(double size) const {
    const Face& f = face(true, false, size);
    CellMetrics m;
    m.advance = f.metrics.horizontalAdvance(QChar(u'M')) * f.scale;
    m.line_height = kLineHeightFactor * clamp_size(size);
    const double font_height = (f.metrics.ascent() + f.metrics.descent()) * f.scale;
    m.ascent = (m.line_height - font_height) / 2.0 + f.metrics.ascent() * f.scale;
    return m;
}

void TextRenderer::draw_cells(Canvas& canvas, std::u32string_view cells, Point top_left,
                              double size, double line_height, double advance, Color color,
                              bool bold) const {
    if (cells.empty() || color.a == 0 || !std::isfinite(top_left.x) || !std::isfinite(top_left.y) ||
        !std::isfinite(advance) || !std::isfinite(line_height)) {
        return;
    }
    const Face& f = face(true, bold, size);
    const double font_height = (f.metrics.ascent() + f.metrics.descent()) * f.scale;
    const double baseline =
        top_left.y + (line_height - font_height) / 2.0 + f.metrics.ascent() * f.scale;

    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    glyphs.reserve(cells.size());
    positions.reserve(cells.size());
    std::vector<std::size_t> fallback;  // cells the raw font cannot draw
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const char32_t c = cells[i];
        if (c == U' ' || c == U'\0') {
            continue;
        }
        quint32 glyph = 0;
        int count = 1;
        if (f.raw.isValid() && c < 0x10000 && f.raw.supportsCharacter(static_cast<uint>(c))) {
            const QChar qc(static_cast<char16_t>(c));
            f.raw.glyphIndexesForChars(&qc, 1, &glyph, &count);
        }
        if (glyph == 0 || count != 1) {
            fallback.push_back(i);
            continue;
        }
        glyphs.push_back(glyph);
        positions.emplace_back(static_cast<double>(i) * advance, 0.0);
    }

    QPainter& p = canvas.painter();
    p.save();
    p.setPen(to_qcolor(color));
    if (!glyphs.empty()) {
        QGlyphRun run;
        run.setRawFont(f.raw);
        run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
        run.setPositions(QList<QPointF>(positions.begin(), positions.end()));
        p.drawGlyphRun(QPointF(top_left.x, baseline), run);
    }
    if (!fallback.empty()) {
        p.setFont(f.font);
        for (const std::size_t i : fallback) {
            const char32_t c = cells[i];
            const QString s = QString::fromUcs4(&c, 1);
            p.save();
            p.translate(top_left.x + static_cast<double>(i) * advance, baseline);
            if (f.scale != 1.0) {
                p.scale(f.scale, f.scale);
            }
            p.drawText(QPointF(0.0, 0.0), s);
            p.restore();
        }
    }
    p.restore();
}

std::string TextRenderer::resolved_ui_family() const {
    return QFontInfo(face(false, false, 14.0).font).family().toStdString();
}

std::string TextRenderer::resolved_mono_family() const {
    return QFontInfo(face(true, false, 14.0).font).family().toStdString();
}

}  // namespace orvo_ui::text_render
