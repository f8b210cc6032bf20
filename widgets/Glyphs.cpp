#include "widgets/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>
#include <algorithm>
#include <utility>

namespace tamsel {

namespace {

QPixmap switchFace(int size, bool on, bool enabled)
{
    QPixmap face(size, size);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor lit = enabled ? QColor(0, 255, 0) : QColor(0, 110, 0);
    const QColor dim(70, 70, 70);
    QRadialGradient body(QPointF(s * 0.4, s * 0.35), s * 0.6);
    body.setColorAt(0, QColor(60, 60, 60));
    body.setColorAt(1, QColor(15, 15, 15));
    p.setBrush(body);
    p.setPen(QPen(on ? lit : dim, s / 14));
    p.drawEllipse(QRectF(s * 0.08, s * 0.08, s * 0.84, s * 0.84));
    if (on) {
        QRadialGradient glow(QPointF(s / 2, s / 2), s * 0.3);
        glow.setColorAt(0, QColor(lit.red(), lit.green(), lit.blue(), 90));
        glow.setColorAt(1, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
    }
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(qMax(6, size * 2 / 5));
    p.setFont(font);
    p.setPen(on ? lit : QColor(150, 150, 150));
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, on ? QStringLiteral("A") : QStringLiteral("M"));
    return face;
}

QPixmap triangle(bool up, int width, int height, const QColor &color)
{
    QPixmap glyph(width, height);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width, h = height;
    const qreal top = h * 0.25, bottom = h * 0.75;
    QPainterPath path;
    if (up) {
        path.moveTo(w / 2, top);
        path.lineTo(w * 0.85, bottom);
        path.lineTo(w * 0.15, bottom);
    } else {
        path.moveTo(w * 0.15, top);
        path.lineTo(w * 0.85, top);
        path.lineTo(w / 2, bottom);
    }
    path.closeSubpath();
    p.fillPath(path, color);
    return glyph;
}

void drawColumnGlyph(QPainter &p, ColumnGlyph glyph, qreal w, qreal h, const QColor &ink)
{
    const qreal cx = w / 2, cy = h / 2, r = std::min(w, h) * 0.32;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case ColumnGlyph::Pulse: { // one sharp spike on a base line
        const QPointF line[] = {{cx - 2.2 * r, cy + r},
                                {cx - 0.4 * r, cy + r},
                                {cx, cy - r},
                                {cx + 0.4 * r, cy + r},
                                {cx + 2.2 * r, cy + r}};
        p.drawPolyline(line, 5);
        break;
    }
    case ColumnGlyph::AcMode: // the three dots of a pulse: end, peak, late peak
        p.setPen(Qt::NoPen);
        for (const auto &[dx, colour] :
             {std::pair{-1.4, QColor(0, 170, 170)}, std::pair{0.0, QColor(0, 128, 0)},
              std::pair{1.4, QColor(0, 0, 220)}}) {
            p.setBrush(colour);
            p.drawEllipse(QPointF(cx + dx * r, cy), r * 0.45, r * 0.45);
        }
        break;
    case ColumnGlyph::LongTime:
    case ColumnGlyph::ShortTime: { // a wider or narrower span between two bars
        const qreal half = glyph == ColumnGlyph::LongTime ? 2.2 * r : 1.1 * r;
        p.drawLine(QPointF(cx - half, cy - r), QPointF(cx - half, cy + r));
        p.drawLine(QPointF(cx + half, cy - r), QPointF(cx + half, cy + r));
        p.drawLine(QPointF(cx - half + 2, cy), QPointF(cx + half - 2, cy));
        break;
    }
    case ColumnGlyph::ZoomUp:
    case ColumnGlyph::ZoomDown: // a magnifier with + or -
        p.drawEllipse(QPointF(cx - 0.3 * r, cy - 0.3 * r), r, r);
        p.drawLine(QPointF(cx + 0.45 * r, cy + 0.45 * r), QPointF(cx + 1.3 * r, cy + 1.3 * r));
        p.drawLine(QPointF(cx - 0.8 * r, cy - 0.3 * r), QPointF(cx + 0.2 * r, cy - 0.3 * r));
        if (glyph == ColumnGlyph::ZoomUp)
            p.drawLine(QPointF(cx - 0.3 * r, cy - 0.8 * r), QPointF(cx - 0.3 * r, cy + 0.2 * r));
        break;
    case ColumnGlyph::Start: {
        QPainterPath play;
        play.moveTo(cx - 0.8 * r, cy - r);
        play.lineTo(cx + r, cy);
        play.lineTo(cx - 0.8 * r, cy + r);
        play.closeSubpath();
        p.fillPath(play, ink == Qt::black ? QColor(0, 150, 0) : ink);
        break;
    }
    case ColumnGlyph::Stop: p.fillRect(QRectF(cx - 0.85 * r, cy - 0.85 * r, 1.7 * r, 1.7 * r), ink); break;
    case ColumnGlyph::Record:
        p.setPen(Qt::NoPen);
        p.setBrush(ink == Qt::black ? QColor(220, 0, 0) : ink);
        p.drawEllipse(QPointF(cx, cy), r, r);
        break;
    }
}

} // namespace

QIcon columnGlyph(ColumnGlyph glyph, int width, int height)
{
    QIcon icon;
    for (const auto &[mode, ink] :
         {std::pair{QIcon::Normal, QColor(Qt::black)}, std::pair{QIcon::Disabled, QColor(160, 160, 160)}}) {
        QPixmap picture(width, height);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        drawColumnGlyph(p, glyph, width, height, ink);
        p.end();
        icon.addPixmap(picture, mode);
    }
    return icon;
}

QIcon autoSwitchIcon(int size)
{
    QIcon icon;
    icon.addPixmap(switchFace(size, false, true), QIcon::Normal, QIcon::Off);
    icon.addPixmap(switchFace(size, true, true), QIcon::Normal, QIcon::On);
    icon.addPixmap(switchFace(size, false, false), QIcon::Disabled, QIcon::Off);
    icon.addPixmap(switchFace(size, true, false), QIcon::Disabled, QIcon::On);
    return icon;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap face(size, size);
        face.fill(Qt::transparent);
        QPainter p(&face);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(16, 16, 16));
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 192, 0), 3));
        p.drawEllipse(QPointF(32, 32), 23, 23);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 255, 0));
        for (int i = 0; i < 6; ++i)
            p.drawEllipse(QPointF(20 + 5 * i, 36 - i), 2, 2);
        p.setPen(QPen(QColor(224, 224, 224), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(32, 32), QPointF(41, 21));
        icon.addPixmap(face);
    }
    return icon;
}

QIcon triangleIcon(bool up, int width, int height)
{
    QIcon icon;
    icon.addPixmap(triangle(up, width, height, QColor(0, 220, 0)), QIcon::Normal);
    icon.addPixmap(triangle(up, width, height, QColor(60, 255, 60)), QIcon::Active);
    icon.addPixmap(triangle(up, width, height, QColor(0, 90, 0)), QIcon::Disabled);
    return icon;
}

QToolButton *columnButton(QWidget *parent, int top, int height, const char *hint, ColumnGlyph glyph,
                          bool checkable)
{
    auto *button = new QToolButton(parent);
    button->setGeometry(0, top, 30, height);
    button->setToolTip(QString::fromUtf8(hint));
    button->setIcon(columnGlyph(glyph, 26, height - 4));
    button->setIconSize(QSize(26, height - 4));
    button->setCheckable(checkable);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace tamsel
