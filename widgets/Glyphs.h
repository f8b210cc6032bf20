#pragma once
// The small pictures of the window's buttons, drawn here at any size rather than taken
// from image files.
#include <QIcon>

class QToolButton;
class QWidget;

namespace tamsel {

// The beat counter switch: a round key, lit green with "A" while the count is automatic,
// dark with "M" while the beat rate is set by hand.
QIcon autoSwitchIcon(int size);
// The program's own icon: a dial with a rising line of dots, as the chart draws a
// gaining watch.
QIcon programIcon();
// The pictures of the chart's button column.
enum class ColumnGlyph { Pulse, AcMode, LongTime, ShortTime, ZoomUp, ZoomDown, Start, Stop, Record };
QIcon columnGlyph(ColumnGlyph glyph, int width, int height);
// A flat button of the column, 30 pixels wide, at `top`, showing its glyph.
QToolButton *columnButton(QWidget *parent, int top, int height, const char *hint, ColumnGlyph glyph,
                          bool checkable);
// A small triangle pointing up or down, for Beat Up / Beat Down.
QIcon triangleIcon(bool up, int width, int height);

} // namespace tamsel
