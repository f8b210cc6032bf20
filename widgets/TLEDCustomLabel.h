#pragma once
// A control that shows a short text, or a zero-padded integer, as a row of LED cells.
#include "widgets/TLED.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <memory>

namespace tamsel {

enum TLEDStyle { lsString, lsInteger };

// The frame around the LED area; its width is the frame extent. The readouts use none.
struct TLEDBevel {
    enum Kind { bvNone, bvLowered, bvRaised };
    Kind kind = bvNone;
    int width = 1;
    int extent() const { return kind == bvNone ? 0 : std::max(0, width); }
    bool operator==(const TLEDBevel &) const = default;
};

class TLEDCustomLabel : public QWidget {
    Q_OBJECT

public:
    explicit TLEDCustomLabel(QWidget *parent = nullptr);
    ~TLEDCustomLabel() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int32_t value() const { return m_value; }
    void setValue(int32_t value);
    TLEDStyle ledStyle() const { return m_style; }
    using QWidget::setStyle;
    void setStyle(TLEDStyle style);
    int digits() const { return m_digits; }
    // 1..255; 0 (and anything else out of range) is refused.
    void setDigits(int digits);
    bool autosize() const { return m_autosize; }
    void setAutosize(bool autosize);
    QColor color() const { return QColor(m_color); }
    void setColor(const QColor &color);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    TLEDBevel bevel() const { return m_bevel; }
    void setBevel(const TLEDBevel &bevel);
    QString hint() const { return toolTip(); }
    void setHint(const QString &hint) { setToolTip(hint); }

    TLED &LED() { return *m_led; }
    const TLED &LED() const { return *m_led; }
    // Copies the six settings of another LED object.
    void setLED(const TLED &led) { m_led->assign(led); }
    // Shortcuts to the LED settings.
    void setActiveColor(const QColor &c) { m_led->setActiveColor(c); }
    void setInActiveColor(const QColor &c) { m_led->setInActiveColor(c); }
    void setHorzsize(int size) { m_led->setHorzsize(size); }
    void setVertsize(int size) { m_led->setVertsize(size); }
    void setThickness(int size) { m_led->setThickness(size); }
    void setDisabledDigits(bool disabled) { m_led->setDisabledDigits(disabled); }

    // What the cells show: Caption, or Value padded to Digits cells.
    QString displayedText() const;
    // The off-screen picture of the LED area, as last painted (null when the area is empty).
    const QImage &image();
    // The LED area: the client area inside the frame.
    QRect ledArea() const;

    QSize sizeHint() const override;

signals:
    void clicked();
    void mouseMoved(const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void refresh();
    void applyAutosize();
    QSize autosizeSize();
    void renderImage();
    void drawBevel(QPainter &painter) const;

    std::unique_ptr<TLED> m_led;
    QString m_caption;
    int32_t m_value = 0;
    TLEDStyle m_style = lsString;
    int m_digits = 2;
    bool m_autosize = false;
    QRgb m_color;
    bool m_transparent = false;
    TLEDBevel m_bevel;

    QImage m_image;
    QSize m_imageSize{-1, -1}; // LED area size m_image was made for
    bool m_rendering = false;
    bool m_pressed = false;
};

} // namespace tamsel
