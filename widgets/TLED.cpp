#include "widgets/TLED.h"

#include "widgets/LedCharacters.h"
#include "widgets/LedDither.h"

#include <algorithm>
#include <cstring>

namespace tamsel {

namespace {

bool validSize(int size)
{
    return size >= 0 && size <= 255;
}

// Writes colour over the spans moved to (dx, dy), clipped to the image.
void paintSpans(QImage &image, const LedSpans &spans, int dx, int dy, QRgb colour)
{
    for (const LedSpan &s : spans) {
        const int y = s.y + dy;
        if (y < 0 || y >= image.height())
            continue;
        const int x0 = std::max(0, s.x0 + dx);
        const int x1 = std::min(image.width(), s.x1 + dx);
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = x0; x < x1; ++x)
            row[x] = colour;
    }
}

// Copies the whole of source to (left, top) of target, clipped; both 32-bit.
void blit(QImage &target, const QImage &source, int left, int top)
{
    const int x0 = std::max(0, left);
    const int x1 = std::min(target.width(), left + source.width());
    const int y0 = std::max(0, top);
    const int y1 = std::min(target.height(), top + source.height());
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(source.constScanLine(y - top)) + (x0 - left);
        std::memcpy(reinterpret_cast<QRgb *>(target.scanLine(y)) + x0, from, sizeof(QRgb) * (x1 - x0));
    }
}

} // namespace

TLED::TLED()
    : m_active(qRgb(0x00, 0xFF, 0x00)), m_inactive(qRgb(0x00, 0x80, 0x00)), m_background(qRgb(0, 0, 0))
{}

void TLED::setActiveColor(const QColor &color)
{
    if (!color.isValid() || color.rgb() == m_active)
        return;
    m_active = color.rgb();
    changed();
}

void TLED::setInActiveColor(const QColor &color)
{
    if (!color.isValid() || color.rgb() == m_inactive)
        return;
    m_inactive = color.rgb();
    changed();
}

void TLED::setBackgroundColor(const QColor &color)
{
    if (!color.isValid() || color.rgb() == m_background)
        return;
    m_background = color.rgb();
    changed();
}

void TLED::setHorzsize(int size)
{
    if (!validSize(size) || size == m_horzsize)
        return;
    m_horzsize = static_cast<uint8_t>(size);
    changed();
}

void TLED::setVertsize(int size)
{
    if (!validSize(size) || size == m_vertsize)
        return;
    m_vertsize = static_cast<uint8_t>(size);
    changed();
}

void TLED::setThickness(int size)
{
    if (!validSize(size) || size == m_thickness)
        return;
    m_thickness = static_cast<uint8_t>(size);
    changed();
}

void TLED::setDisabledDigits(bool disabled)
{
    if (disabled == m_disabledDigits)
        return;
    m_disabledDigits = disabled;
    // The cells look the same; only what a disabled label lights changes.
    if (m_onChange)
        m_onChange();
}

void TLED::assign(const TLED &other)
{
    if (&other == this)
        return;
    m_horzsize = other.m_horzsize;
    m_vertsize = other.m_vertsize;
    m_thickness = other.m_thickness;
    m_disabledDigits = other.m_disabledDigits;
    m_active = other.m_active;
    m_inactive = other.m_inactive;
    changed();
}

void TLED::changed()
{
    render();
    if (m_onChange)
        m_onChange();
}

void TLED::render()
{
    const LedPolygons polygons = ledSegmentPolygons(m_thickness, m_horzsize, m_vertsize);
    for (int i = 0; i < ledSegmentCount; ++i) {
        LedSegment &s = m_segments[i];
        s.polygon = polygons[i];
        s.unlit = s.polygon.drawable ? ledFillSpans(s.polygon.points) : LedSpans{};
        s.lit = s.polygon.drawable ? ledOutlinedSpans(s.polygon.points) : LedSpans{};
    }

    m_cell = QImage(cellWidth(), cellHeight(), QImage::Format_RGB32);
    m_rendered = true;
    if (m_cell.isNull()) // empty cell, or out of memory: cells are then left out
        return;
    m_cell.fill(m_background);
    const QImage &pattern = ledDitherPattern(m_background, m_inactive);
    for (const LedSegment &s : m_segments) {
        for (const LedSpan &span : s.unlit) {
            if (span.y < 0 || span.y >= m_cell.height())
                continue;
            auto *row = reinterpret_cast<QRgb *>(m_cell.scanLine(span.y));
            const auto *bits = reinterpret_cast<const QRgb *>(pattern.constScanLine(span.y & 7));
            for (int x = std::max(0, span.x0); x < std::min(m_cell.width(), span.x1); ++x)
                row[x] = bits[x & 7];
        }
    }
}

void TLED::ensureRendered()
{
    if (!m_rendered)
        render();
}

const LedSegment &TLED::segment(int index)
{
    ensureRendered();
    return m_segments[static_cast<size_t>(std::clamp(index, 0, ledSegmentCount - 1))];
}

const QImage &TLED::unlitCell()
{
    ensureRendered();
    return m_cell;
}

template <typename CellFn> LedTextExtent TLED::walk(const QString &text, CellFn cell)
{
    LedTextExtent extent;
    int column = 0;
    for (char32_t c : text.toUcs4()) {
        if (c == 13) {
            ++extent.lines;
            column = 0;
            continue;
        }
        if (c < 32)
            continue;
        cell(column, extent.lines - 1, c);
        ++column;
        extent.widest = std::max(extent.widest, column);
    }
    m_lines = extent.lines;
    m_widest = extent.widest;
    return extent;
}

LedTextExtent TLED::layoutText(const QString &text)
{
    return walk(text, [](int, int, char32_t) {});
}

LedTextExtent TLED::drawText(QImage &target, int left, int top, const QString &text, bool enabled)
{
    ensureRendered();
    if (target.isNull() || m_cell.isNull())
        return layoutText(text);
    if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32)
        target = target.convertToFormat(QImage::Format_RGB32);

    const bool lit = !m_disabledDigits || enabled;
    // Small cells have no room for the centre column, diagonals and dots.
    const uint16_t allowed = (m_vertsize > 3 && m_horzsize > 3) ? 0xFFFF : 0x007F;
    const int w = cellWidth();
    const int h = cellHeight();
    return walk(text, [&](int column, int line, char32_t c) {
        const int64_t cx = int64_t(left) + int64_t(column) * w;
        const int64_t cy = int64_t(top) + int64_t(line) * h;
        if (cx >= target.width() || cy >= target.height() || cx + w <= 0 || cy + h <= 0)
            return;
        const int x = static_cast<int>(cx);
        const int y = static_cast<int>(cy);
        blit(target, m_cell, x, y);
        if (!lit)
            return;
        const uint16_t pattern = ledCharacterPattern(c) & allowed;
        for (int i = 0; i < ledSegmentCount; ++i)
            if (pattern & (1u << i))
                paintSpans(target, m_segments[i].lit, x, y, m_active);
    });
}

} // namespace tamsel
