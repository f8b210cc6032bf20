// View lengths, zoom and the chart's corner switch.
#include "app/TForm1.h"
#include "display/ChartTrace.h"

namespace tamsel {

QString TForm1::ViewZoomText() const
{
    if (japanese())
        return QStringLiteral("%1秒 %2倍表示").arg(state.viewSeconds).arg(state.zoom);
    return QStringLiteral("%1sec x%2").arg(state.viewSeconds).arg(state.zoom);
}

// A view of 10 seconds or more: the current sweep is re-plotted at the new scale.
void TForm1::chooseLongView(int32_t seconds, QAction *item)
{
    item->setChecked(true);
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    StatusBar1->setPanelText(0, ViewZoomText());
    ResetMeasurement();
    DrawSignalOverlay();
    DrawChartFrame(seconds);
    AnalyseSamples();
    SpeedButton1->setEnabled(seconds < 120);
    SpeedButton2->setEnabled(seconds > 10 && seconds <= 120);
}

// A view of 1 to 3 seconds: the chart shows its frame only; the signal graph the sound.
void TForm1::chooseShortView(int32_t seconds, QAction *item)
{
    StatusBar1->setPanelText(0, japanese() ? QStringLiteral("%1秒表示").arg(seconds)
                                           : QStringLiteral("%1sec").arg(seconds));
    item->setChecked(true);
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    ResetMeasurement();
    DrawSignalOverlay();
    DrawChartFrame(seconds);
    traceBitmap = QImage();
    PaintBox1->draw(0, 0, traceBitmap);
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
}

void TForm1::N11Click()
{
    chooseShortView(1, N11);
}
void TForm1::N21Click()
{
    chooseShortView(2, N21);
}
void TForm1::N31Click()
{
    chooseShortView(3, N31);
}
void TForm1::N101Click()
{
    chooseLongView(10, N101);
}
void TForm1::N201Click()
{
    chooseLongView(20, N201);
}
void TForm1::N301Click()
{
    chooseLongView(30, N301);
}
void TForm1::N401Click()
{
    chooseLongView(40, N401);
}
void TForm1::N601Click()
{
    chooseLongView(60, N601);
}
void TForm1::N1201Click()
{
    chooseLongView(120, N1201);
}
void TForm1::N3001Click()
{
    chooseLongView(300, N3001);
}
void TForm1::N6001Click()
{
    chooseLongView(600, N6001);
}
void TForm1::N9001Click()
{
    chooseLongView(900, N9001);
}

void TForm1::SpeedButton1Click()
{
    if (N1201->isChecked())
        return;
    if (N601->isChecked())
        N1201Click();
    else if (N401->isChecked())
        N601Click();
    else if (N301->isChecked())
        N401Click();
    else if (N201->isChecked())
        N301Click();
    else if (N101->isChecked())
        N201Click();
}

void TForm1::SpeedButton2Click()
{
    if (N101->isChecked())
        return;
    if (N201->isChecked())
        N101Click();
    else if (N301->isChecked())
        N201Click();
    else if (N401->isChecked())
        N301Click();
    else if (N601->isChecked())
        N401Click();
    else if (N1201->isChecked())
        N601Click();
}

void TForm1::chooseZoom(int32_t factor, QAction *item)
{
    item->setChecked(true);
    state.zoom = factor;
    StatusBar1->setPanelText(0, ViewZoomText());
    ResetMeasurement();
    AnalyseSamples();
    SpeedButton3->setEnabled(factor != 8);
    SpeedButton4->setEnabled(factor != 1);
}

void TForm1::N16Click()
{
    chooseZoom(1, N16);
}
void TForm1::N22Click()
{
    chooseZoom(2, N22);
}
void TForm1::N41Click()
{
    chooseZoom(4, N41);
}
void TForm1::N81Click()
{
    chooseZoom(8, N81);
}

void TForm1::SpeedButton3Click()
{
    if (N81->isChecked())
        return;
    if (N41->isChecked())
        N81Click();
    else if (N22->isChecked())
        N41Click();
    else if (N16->isChecked())
        N22Click();
}

void TForm1::SpeedButton4Click()
{
    if (N16->isChecked())
        return;
    if (N22->isChecked())
        N16Click();
    else if (N41->isChecked())
        N22Click();
    else if (N81->isChecked())
        N41Click();
}

void TForm1::PaintBox1MouseDown(int x, int y)
{
    if (!ChartTrace::cornerPressed(x, y))
        return;
    state.rulerShown = !state.rulerShown;
    state.rulerX = state.rulerY = 10;
}

} // namespace tamsel
