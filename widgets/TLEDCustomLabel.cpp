#include "widgets/TLEDCustomLabel.h"

#include <QMouseEvent>
#include <QPainter>

namespace tamsel {

TLEDCustomLabel::TLEDCustomLabel(QWidget *parent)
    : QWidget(parent), m_led(std::make_unique<TLED>()), m_color(qRgb(0, 0, 0))
{
    // Notifications that arrive while we set the background for a paint are our own.
    m_led->setOnChange([this] {
        if (!m_rendering)
            refresh();
    });
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    // Moves are forwarded without a button held, so the window can update the hint.
    setMouseTracking(true);
}

TLEDCustomLabel::~TLEDCustomLabel()
{
    m_led->setOnChange(nullptr);
}

void TLEDCustomLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    refresh();
}

void TLEDCustomLabel::setValue(int32_t value)
{
    if (value == m_value)
        return;
    m_value = value;
    if (m_style != lsInteger)
        return;
    // The readouts change many times a second: paint now rather than queue a request.
    renderImage();
    repaint();
}

void TLEDCustomLabel::setStyle(TLEDStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    refresh();
}

void TLEDCustomLabel::setDigits(int digits)
{
    if (digits < 1 || digits > 255 || digits == m_digits)
        return;
    m_digits = digits;
    refresh();
}

void TLEDCustomLabel::setAutosize(bool autosize)
{
    if (autosize == m_autosize)
        return;
    m_autosize = autosize;
    refresh();
}

void TLEDCustomLabel::setColor(const QColor &color)
{
    if (!color.isValid() || color.rgb() == m_color)
        return;
    m_color = color.rgb();
    m_rendering = true;
    m_led->setBackgroundColor(color);
    m_rendering = false;
    refresh();
}

void TLEDCustomLabel::setTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

void TLEDCustomLabel::setBevel(const TLEDBevel &bevel)
{
    if (bevel == m_bevel)
        return;
    m_bevel = bevel;
    refresh();
}

QString TLEDCustomLabel::displayedText() const
{
    if (m_style == lsString)
        return m_caption;
    const QString number = QString::number(m_value);
    if (number.size() > m_digits)
        return QString(m_digits, QLatin1Char('-'));
    // The minus sign counts as a digit and stands after the padding: -12 in 5 is 00-12.
    return QString(m_digits - number.size(), QLatin1Char('0')) + number;
}

QRect TLEDCustomLabel::ledArea() const
{
    const int e = m_bevel.extent();
    return rect().adjusted(e, e, -e, -e);
}

const QImage &TLEDCustomLabel::image()
{
    if (m_imageSize != ledArea().size())
        renderImage();
    return m_image;
}

QSize TLEDCustomLabel::sizeHint() const
{
    const LedTextExtent extent = m_led->layoutText(displayedText());
    const int64_t e = m_bevel.extent();
    const int64_t w = int64_t(m_led->cellWidth()) * extent.widest + 2 * e + 1;
    const int64_t h = int64_t(m_led->cellHeight()) * extent.lines + 2 * e;
    return {static_cast<int>(std::min<int64_t>(w, QWIDGETSIZE_MAX)),
            static_cast<int>(std::min<int64_t>(h, QWIDGETSIZE_MAX))};
}

void TLEDCustomLabel::refresh()
{
    if (m_autosize)
        resize(sizeHint());
    renderImage();
    if (m_transparent)
        update();
    else
        repaint();
}

void TLEDCustomLabel::renderImage()
{
    const QRect area = ledArea();
    m_imageSize = area.size();
    if (area.isEmpty()) {
        m_image = QImage();
        return;
    }
    if (m_image.size() != area.size())
        m_image = QImage(area.size(), QImage::Format_RGB32);
    if (m_image.isNull()) // out of memory: nothing to show
        return;
    m_image.fill(m_color);
    m_rendering = true;
    m_led->setBackgroundColor(QColor(m_color));
    m_led->drawText(m_image, 0, 0, displayedText(), isEnabled());
    m_rendering = false;
}

void TLEDCustomLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawBevel(painter);
    const QImage &picture = image();
    if (picture.isNull())
        return;
    const QPoint at = ledArea().topLeft();
    if (!m_transparent) {
        painter.drawImage(at, picture);
        return;
    }
    // The label's colour lets what lies beneath show through.
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if (row[x] == m_color)
                row[x] = 0;
    }
    painter.drawImage(at, masked);
}

void TLEDCustomLabel::drawBevel(QPainter &painter) const
{
    if (m_bevel.kind == TLEDBevel::bvNone)
        return;
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const QColor topLeft = m_bevel.kind == TLEDBevel::bvLowered ? dark : light;
    const QColor bottomRight = m_bevel.kind == TLEDBevel::bvLowered ? light : dark;
    for (int i = 0; i < m_bevel.extent(); ++i) {
        const QRect r = rect().adjusted(i, i, -i, -i);
        if (r.isEmpty())
            break;
        painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
        painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
        painter.fillRect(r.left() + 1, r.bottom(), r.width() - 1, 1, bottomRight);
        painter.fillRect(r.right(), r.top() + 1, 1, r.height() - 1, bottomRight);
    }
}

void TLEDCustomLabel::resizeEvent(QResizeEvent *event)
{
    renderImage();
    QWidget::resizeEvent(event);
}

void TLEDCustomLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        renderImage();
        update();
    }
    QWidget::changeEvent(event);
}

void TLEDCustomLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void TLEDCustomLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const bool inside = rect().contains(event->position().toPoint());
        const bool wasPressed = m_pressed;
        m_pressed = false;
        if (wasPressed && inside)
            emit clicked();
    }
    QWidget::mouseReleaseEvent(event);
}

void TLEDCustomLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

} // namespace tamsel
