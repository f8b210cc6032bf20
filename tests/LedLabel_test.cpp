#include "widgets/LedLabel.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

using namespace tamsel;

namespace {

const QRgb lime = qRgb(0x00, 0xFF, 0x00);
const QRgb green = qRgb(0x00, 0x80, 0x00);
const QRgb black = qRgb(0, 0, 0);

std::unique_ptr<TLEDLabel> label(const QString &caption, int width = 200, int height = 30)
{
    auto l = std::make_unique<TLEDLabel>();
    l->resize(width, height);
    l->setCaption(caption);
    return l;
}

QImage cellOf(TLEDLabel &l, int column, int line = 0)
{
    TLED &led = l.LED();
    return l.image().copy(column * led.cellWidth(), line * led.cellHeight(), led.cellWidth(),
                          led.cellHeight());
}

int count(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

std::set<std::pair<int, int>> pixels(const LedSpans &spans)
{
    std::set<std::pair<int, int>> out;
    for (const LedSpan &s : spans)
        for (int x = s.x0; x < s.x1; ++x)
            out.insert({x, s.y});
    return out;
}

} // namespace

TEST(LedSegments, ShapesFollowTheSizes)
{
    const LedPolygons s = ledSegmentPolygons(2, 9, 7);
    using P = std::array<LedPoint, 6>;
    EXPECT_EQ(s[0].points, (P{{{4, 3}, {5, 2}, {14, 2}, {15, 3}, {14, 4}, {5, 4}}}));
    EXPECT_EQ(s[9].points, (P{{{7, 11}, {6, 11}, {5, 7}, {5, 6}, {6, 6}, {7, 10}}}));
    EXPECT_EQ(s[15].points, (P{{{9, 23}, {9, 25}, {7, 25}, {7, 23}, {7, 23}, {7, 23}}}));
    EXPECT_EQ(ledCellWidth(2, 9), 19);
    EXPECT_EQ(ledCellHeight(2, 7), 28);
    EXPECT_EQ(ledCellWidth(2, 8), 18);
    EXPECT_EQ(ledCellHeight(2, 5), 24);

    // Halves go to the even neighbour: R = 1.5 * 3 -> 4, e = 3 / 2 -> 2; R = 7.5 -> 8, e = 2.5 -> 2.
    const LedPolygons t3 = ledSegmentPolygons(3, 9, 7);
    EXPECT_EQ(t3[10].points[0], (LedPoint{10 + 4, 13}));
    EXPECT_EQ(t3[10].points[1], (LedPoint{10 + 4 + 2, 13}));
    const LedPolygons t5 = ledSegmentPolygons(5, 20, 12);
    EXPECT_EQ(t5[10].points[0], (LedPoint{20 + 8, 22}));
    EXPECT_EQ(t5[10].points[1], (LedPoint{20 + 8 + 2, 22}));

    // c = T: the diagonals have no extent and no shape.
    const LedPolygons flat = ledSegmentPolygons(2, 4, 7);
    for (int i = 0; i < ledSegmentCount; ++i)
        EXPECT_EQ(flat[i].drawable, i < 9 || i > 12) << i;
}

TEST(LedRaster, OutlinesFillsAndLines)
{
    // The bottom dot outlined and filled is the 3 x 3 square (7,23)..(9,25); unfilled, 2 x 2.
    const LedPolygons s = ledSegmentPolygons(2, 9, 7);
    std::set<std::pair<int, int>> square;
    for (int y = 23; y <= 25; ++y)
        for (int x = 7; x <= 9; ++x)
            square.insert({x, y});
    EXPECT_EQ(pixels(ledOutlinedSpans(s[15].points)), square);
    EXPECT_EQ(pixels(ledFillSpans(s[15].points)),
              (std::set<std::pair<int, int>>{{7, 23}, {8, 23}, {7, 24}, {8, 24}}));

    // A line stops before its end point.
    const auto line = ledLinePixels({0, 0}, {4, 2});
    ASSERT_EQ(line.size(), 4u);
    EXPECT_EQ(line.front(), (LedPoint{0, 0}));
    EXPECT_EQ(line.back().x, 3);
    EXPECT_TRUE(ledLinePixels({5, 5}, {5, 5}).empty());

    // An unlit segment never shows outside its lit shape, whatever the sizes.
    for (int t : {1, 2, 3, 5})
        for (int h : {4, 9, 12})
            for (const LedPolygon &p : ledSegmentPolygons(t, h, 7)) {
                if (!p.drawable)
                    continue;
                const auto lit = pixels(ledOutlinedSpans(p.points));
                for (const auto &px : pixels(ledFillSpans(p.points)))
                    EXPECT_TRUE(lit.count(px)) << t << " " << h << " " << px.first << "," << px.second;
            }
}

TEST(LedCell, DefaultPixels)
{
    auto l = label("8N.");
    const QImage eight = cellOf(*l, 0);
    for (QPoint p : {QPoint(4, 3), QPoint(5, 2), QPoint(14, 2), QPoint(15, 3), QPoint(14, 4), QPoint(5, 4)})
        EXPECT_EQ(eight.pixel(p), lime) << p.x() << "," << p.y();
    const QImage n = cellOf(*l, 1);
    for (QPoint p : {QPoint(7, 11), QPoint(6, 11), QPoint(5, 7), QPoint(5, 6), QPoint(6, 6), QPoint(7, 10)})
        EXPECT_EQ(n.pixel(p), lime) << p.x() << "," << p.y();
    const QImage dot = cellOf(*l, 2);
    for (int y = 23; y <= 25; ++y)
        for (int x = 7; x <= 9; ++x)
            EXPECT_EQ(dot.pixel(x, y), lime);
    EXPECT_EQ(count(dot, lime), 9);

    // Unlit segments: the unlit colour where x and y have the same parity, background elsewhere.
    auto blank = label(" ");
    const QImage cell = cellOf(*blank, 0);
    EXPECT_EQ(cell, blank->LED().unlitCell());
    EXPECT_EQ(cell.pixel(0, 0), black);
    EXPECT_EQ(cell.pixel(6, 2), green);
    EXPECT_EQ(cell.pixel(7, 2), black);
    int checked = 0;
    for (const LedSpan &s : blank->LED().segment(0).unlit)
        for (int x = s.x0; x < s.x1; ++x, ++checked)
            EXPECT_EQ(cell.pixel(x, s.y), ((x + s.y) % 2) ? black : green) << x << "," << s.y;
    EXPECT_GT(checked, 15);
    EXPECT_EQ(count(cell, lime), 0);
}

TEST(LedLabelText, IntegerStyle)
{
    auto l = label("");
    l->setStyle(lsInteger);
    l->setDigits(3);
    EXPECT_EQ(l->displayedText(), "000");
    l->setValue(1000);
    EXPECT_EQ(l->displayedText(), "---");
    EXPECT_EQ(l->image(), label("---")->image());
    l->setValue(7);
    EXPECT_EQ(l->image(), label("007")->image());
    l->setDigits(0);
    EXPECT_EQ(l->digits(), 3);
    l->setDigits(5);
    l->setValue(-12);
    EXPECT_EQ(l->displayedText(), "00-12");
    EXPECT_EQ(l->image(), label("00-12")->image());
    l->setValue(INT32_MIN);
    EXPECT_EQ(l->displayedText(), "-----");

    // In the string style Value is kept but the caption is shown.
    l->setStyle(lsString);
    l->setCaption("AB");
    l->setValue(42);
    EXPECT_EQ(l->image(), label("AB")->image());
    l->setStyle(lsInteger);
    EXPECT_EQ(l->displayedText(), "00042");
}

TEST(LedLabelText, CellsAndLayout)
{
    // " 00.0" takes five cells: a blank unlit cell, and a point with only the bottom dot.
    auto l = label(" 00.0", 97, 30);
    EXPECT_EQ(cellOf(*l, 0), l->LED().unlitCell());
    EXPECT_EQ(count(cellOf(*l, 3), lime), 9);
    for (int y = 0; y < 30; ++y)
        for (int x = 95; x < 97; ++x)
            EXPECT_EQ(l->image().pixel(x, y), black);
    l->setAutosize(true);
    EXPECT_EQ(l->size(), QSize(96, 28));

    // A carriage return starts a line; other control characters take no cell.
    l->setCaption("1\r2\n2");
    EXPECT_EQ(l->LED().lineCount(), 2);
    EXPECT_EQ(l->LED().widestLine(), 2);
    EXPECT_EQ(l->size(), QSize(39, 56));
    EXPECT_EQ(cellOf(*l, 1, 1), label("2")->image().copy(0, 0, 19, 28));
    l->setCaption("");
    EXPECT_EQ(l->size(), QSize(20, 28));

    // A frame adds its extent on every side.
    l->setBevel({TLEDBevel::bvLowered, 2});
    EXPECT_EQ(l->size(), QSize(24, 32));
    EXPECT_EQ(l->image().size(), QSize(20, 28));
}

TEST(LedLabelText, WhatLights)
{
    auto small = label("X");
    small->setHorzsize(3);
    EXPECT_EQ(count(small->image(), lime), 0);
    small->setCaption("1");
    EXPECT_EQ(count(small->image(), lime), 0);
    small->setCaption("8");
    EXPECT_GT(count(small->image(), lime), 0);

    auto flat = label("X");
    flat->setHorzsize(4);
    EXPECT_EQ(count(flat->image(), lime), 0);
    flat->setCaption("M");
    EXPECT_GT(count(flat->image(), lime), 0);

    auto off = label("88");
    off->setEnabled(false);
    EXPECT_EQ(cellOf(*off, 0), off->LED().unlitCell());
    EXPECT_EQ(cellOf(*off, 1), off->LED().unlitCell());
    off->setDisabledDigits(false);
    EXPECT_GT(count(off->image(), lime), 0);
    off->setDisabledDigits(true);
    off->setEnabled(true);
    EXPECT_GT(count(off->image(), lime), 0);
}

TEST(LedLabelSettings, ChangesRepaint)
{
    auto l = label("8");
    const int lit = count(l->image(), lime);
    l->setActiveColor(Qt::red);
    EXPECT_EQ(count(l->image(), qRgb(255, 0, 0)), lit);
    l->setColor(Qt::blue);
    EXPECT_EQ(l->image().pixel(199, 0), qRgb(0, 0, 255));
    EXPECT_EQ(l->LED().unlitCell().pixel(0, 0), qRgb(0, 0, 255));

    TLED other;
    other.setHorzsize(8);
    other.setVertsize(5);
    other.setActiveColor(Qt::yellow);
    l->setLED(other);
    EXPECT_EQ(l->LED().cellWidth(), 18);
    EXPECT_EQ(l->LED().backgroundColor(), QColor(Qt::blue)); // the background is the label's
    EXPECT_EQ(l->image(), [] {
        auto ref = label("8");
        ref->setColor(Qt::blue);
        ref->setHorzsize(8);
        ref->setVertsize(5);
        ref->setActiveColor(Qt::yellow);
        return ref->image();
    }());

    // Out-of-range settings are refused.
    l->setHorzsize(300);
    l->setThickness(-1);
    l->setActiveColor(QColor());
    EXPECT_EQ(l->LED().horzsize(), 8);
    EXPECT_EQ(l->LED().thickness(), 2);
    EXPECT_EQ(l->LED().activeColor(), QColor(Qt::yellow));
}

TEST(LedLabelSettings, OddInputsDoNotCrash)
{
    auto l = label(QString(5000, 'W') + "\r\t\x01" + QString::fromUtf8("時計"), 50, 10);
    EXPECT_EQ(l->LED().widestLine(), 5000);
    l->resize(0, 0);
    EXPECT_TRUE(l->image().isNull());
    l->resize(40, 40);
    l->setThickness(0);
    l->setHorzsize(0);
    l->setVertsize(0);
    EXPECT_TRUE(l->LED().unlitCell().isNull());
    EXPECT_EQ(count(l->image(), lime), 0);
    l->setDigits(255);
    l->setStyle(lsInteger);
    EXPECT_EQ(l->displayedText().size(), 255);
}

TEST(LedLabelEvents, ClicksMovesHintsAndTransparency)
{
    auto l = label("8");
    int clicks = 0;
    std::vector<QPoint> moves;
    QObject::connect(l.get(), &TLEDCustomLabel::clicked, [&] { ++clicks; });
    QObject::connect(l.get(), &TLEDCustomLabel::mouseMoved, [&](const QPoint &p) { moves.push_back(p); });
    auto send = [&](QEvent::Type type, QPoint at) {
        QMouseEvent e(type, at, l->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(l.get(), &e);
    };
    send(QEvent::MouseButtonPress, {5, 5});
    send(QEvent::MouseButtonRelease, {5, 5});
    send(QEvent::MouseButtonPress, {5, 5});
    send(QEvent::MouseButtonRelease, {500, 5}); // released outside: no click
    EXPECT_EQ(clicks, 1);
    QMouseEvent move(QEvent::MouseMove, QPointF(7, 8), QPointF(7, 8), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(l.get(), &move);
    EXPECT_EQ(moves, std::vector<QPoint>{QPoint(7, 8)});

    l->setHint("Beat");
    EXPECT_EQ(l->toolTip(), "Beat");

    // A transparent label lets its parent show through where it has its own colour.
    QWidget parent;
    parent.resize(60, 40);
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, Qt::red);
    parent.setPalette(pal);
    auto *child = new TLEDLabel(&parent);
    child->setGeometry(0, 0, 60, 40);
    child->setCaption("8");
    child->setTransparent(true);
    const QImage shot = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(50, 30), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(5, 2), lime);
    // The unlit centre column: its own colour on even pixels, the parent between them.
    EXPECT_EQ(shot.pixel(8, 6), green);
    EXPECT_EQ(shot.pixel(9, 6), qRgb(255, 0, 0));
}

namespace {
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};
} // namespace

TEST(LedLabelEvents, ValuePaintsAtOnceOnlyInTheIntegerStyle)
{
    TLEDLabel l;
    l.resize(60, 30);
    PaintCounter counter;
    l.installEventFilter(&counter);
    l.show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(l.isVisible());

    counter.paints = 0;
    l.setValue(5); // string style: nothing drawn
    EXPECT_EQ(counter.paints, 0);
    l.setStyle(lsInteger);
    EXPECT_EQ(counter.paints, 1);
    l.setValue(6);
    EXPECT_EQ(counter.paints, 2); // painted before any event is processed
    l.setValue(6);
    EXPECT_EQ(counter.paints, 2);

    // A transparent label asks for a later repaint instead.
    l.setTransparent(true);
    QCoreApplication::processEvents();
    counter.paints = 0;
    l.setDigits(3);
    EXPECT_EQ(counter.paints, 0);
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}
