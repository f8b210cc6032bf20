#pragma once
// The settings of an LED label: segment sizes and colours. Renders the cells of a text.
#include "widgets/LedRaster.h"
#include "widgets/LedSegments.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace tamsel {

// How a text lays out: its number of lines and the cell count of its widest line.
struct LedTextExtent {
    int lines = 1;
    int widest = 1;
};

// One segment: its outline, the pixels of its unlit fill and of its lit shape
// (outlined and filled), relative to the cell's top-left corner.
struct LedSegment {
    LedPolygon polygon;
    LedSpans unlit;
    LedSpans lit;
};

class TLED {
public:
    TLED();
    TLED(const TLED &) = delete;
    TLED &operator=(const TLED &) = delete;

    QColor activeColor() const { return QColor(m_active); }
    QColor inActiveColor() const { return QColor(m_inactive); }
    int horzsize() const { return m_horzsize; }
    int vertsize() const { return m_vertsize; }
    int thickness() const { return m_thickness; }
    bool disabledDigits() const { return m_disabledDigits; }
    QColor backgroundColor() const { return QColor(m_background); }

    // Invalid colours and sizes outside 0..255 are refused (the setting stays).
    void setActiveColor(const QColor &color);
    void setInActiveColor(const QColor &color);
    void setHorzsize(int size);
    void setVertsize(int size);
    void setThickness(int size);
    void setDisabledDigits(bool disabled);
    // The owning label's colour.
    void setBackgroundColor(const QColor &color);
    // Copies the six settings (not the background), then renders and notifies.
    void assign(const TLED &other);

    int cellWidth() const { return ledCellWidth(m_thickness, m_horzsize); }
    int cellHeight() const { return ledCellHeight(m_thickness, m_vertsize); }
    const LedSegment &segment(int index);
    // One cell with all sixteen segments unlit.
    const QImage &unlitCell();

    // Lines and widest line of a text, without drawing; also kept as the last layout.
    LedTextExtent layoutText(const QString &text);
    // Draws the cells of text into target (a 32-bit image) with its top-left at (left, top);
    // cells past the image's edges are cut off.
    LedTextExtent drawText(QImage &target, int left, int top, const QString &text, bool enabled);
    int lineCount() const { return m_lines; }
    int widestLine() const { return m_widest; }

    // Called after every change that alters what the cells look like.
    void setOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
    void changed();
    void render();
    void ensureRendered();
    template <typename CellFn> LedTextExtent walk(const QString &text, CellFn cell);

    QRgb m_active;
    QRgb m_inactive;
    QRgb m_background;
    uint8_t m_horzsize = 9;
    uint8_t m_vertsize = 7;
    uint8_t m_thickness = 2;
    bool m_disabledDigits = true;

    bool m_rendered = false;
    std::array<LedSegment, ledSegmentCount> m_segments;
    QImage m_cell;
    int m_lines = 1;
    int m_widest = 1;
    std::function<void()> m_onChange;
};

} // namespace tamsel
