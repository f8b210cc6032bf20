// The main window's show handler, language rule, pulse and A-C mode buttons, menu tree and
// Exit.
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "WindowDrive.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

const QString kJapanese = QStringLiteral("タムセル");

void hover(QWidget *target)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A few seconds of a watch in A-C mode, so that the amplitude (and the lift time) is shown.
void runInAcMode(Window &w)
{
    w.form->SpeedButton8->click();
    EXPECT_TRUE(w.form->SpeedButton8->isChecked());
    WatchFeed feed;
    feed.atLeast(w, 4 * 44100);
}

} // namespace

TEST(Language, JapaneseCaptionGivesJapaneseTexts)
{
    Window w({}, kJapanese);
    EXPECT_EQ(w.form->StatusBar1->panelText(0), QStringLiteral("60秒 1倍表示"));
    EXPECT_EQ(w.form->BackPanel1->spd->hint(), QStringLiteral("平均歩度"));
    w.form->spdClick();
    EXPECT_EQ(w.form->BackPanel1->spd->hint(), QStringLiteral("歩度"));
    w.form->N601Click(); // a reset colours the readout for the mode again
    EXPECT_EQ(w.form->BackPanel1->spd->hint(), QStringLiteral("歩度"));
    EXPECT_TRUE(w.form->recordFolder.endsWith(QStringLiteral("My Pictures/タムセル/")))
        << w.form->recordFolder.toStdString();
    EXPECT_TRUE(
        w.form->recordFolder.startsWith(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));

    runInAcMode(w);
    const QString lift = w.form->StatusBar1->panelText(7);
    ASSERT_TRUE(lift.startsWith(QStringLiteral("拘束時間: "))) << lift.toStdString();
    ASSERT_TRUE(lift.endsWith(QStringLiteral(" msec"))) << lift.toStdString();
    // The generator's lift time, give or take the detection's few samples.
    const double shown = lift.mid(6, lift.size() - 11).toDouble();
    const double made = SyntheticWatch(WatchParams{}).LiftSamples() / 44.1;
    EXPECT_NEAR(shown, made, 0.5) << lift.toStdString();
    EXPECT_EQ(lift.mid(lift.indexOf('.')).size(), 7) << "one decimal: " << lift.toStdString();
}

TEST(Language, LiftTimeTextUsesTheNominalRateAndOnlyTheAcMode)
{
    Window w("[Init]\r\nHosei=-100\r\n", kJapanese);
    ASSERT_EQ(w.state().samplesPerSecond, 44000);
    const auto amplitude = [&w](uint32_t lift) {
        Reading reading;
        reading.showAmplitude(280, lift, w.state().clockFactor(), w.form->controls());
        w.form->showReading(reading);
    };
    amplitude(4410);
    EXPECT_EQ(w.form->StatusBar1->panelText(7), "") << "peak mode";
    w.form->SpeedButton8->click();
    amplitude(4410);
    EXPECT_EQ(w.form->StatusBar1->panelText(7), QStringLiteral("拘束時間: 100.0 msec"));
    EXPECT_EQ(w.form->StatusBar1->panelText(4), "280 deg");
    // The panel is wide enough to be read, at the window's font.
    for (const uint32_t lift : {450u, 4410u}) {
        amplitude(lift);
        const QLabel *panel = w.form->StatusBar1->Panel(7);
        EXPECT_EQ(panel->font(), w.form->font());
        EXPECT_LE(panel->sizeHint().width(), panel->width()) << panel->text().toStdString();
    }
}

TEST(Language, AnyOtherCaptionGivesEnglish)
{
    for (const QString &caption : {QStringLiteral("Tamsel"), QStringLiteral("タムセル "), QString()}) {
        SCOPED_TRACE(caption.toStdString());
        Window w({}, caption);
        EXPECT_EQ(w.form->StatusBar1->panelText(0), "60sec x1");
        EXPECT_EQ(w.form->BackPanel1->spd->hint(), "Average");
        w.form->spdClick();
        EXPECT_EQ(w.form->BackPanel1->spd->hint(), "Rate");
        EXPECT_TRUE(w.form->recordFolder.endsWith("My Pictures/Tamsel/"))
            << w.form->recordFolder.toStdString();
        runInAcMode(w);
        EXPECT_NE(w.form->StatusBar1->panelText(4), "") << "the amplitude was measured";
        EXPECT_EQ(w.form->StatusBar1->panelText(7), "");
    }
}

TEST(FormShow, NoiseLevelSetsTheThresholdRange)
{
    struct Row {
        const char *noise;
        int position;
        int maximum;
    };
    const Row rows[] = {{"32700", 65, 67}, {"1000", 15000, 31767}, {"32765", 0, 2}, {"0", 15000, 32767}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.noise);
        Window w(QByteArray("[Init]\r\nNoiseLevel=") + row.noise + "\r\n");
        EXPECT_EQ(w.form->TrackBar1->value(), row.position);
        EXPECT_EQ(w.form->TrackBar1->maximum(), row.maximum);
    }
    // A noise level above the range leaves a maximum that is not below the minimum.
    Window w("[Init]\r\nNoiseLevel=32768\r\n");
    EXPECT_EQ(w.form->TrackBar1->value(), 0);
    EXPECT_GE(w.form->TrackBar1->maximum(), 0);
    EXPECT_TRUE(w.errors.empty());
}

TEST(FormShow, StoredZoomOutsideTheMenuChecksNoItem)
{
    Window w("[Init]\r\nZoom=3\r\n");
    for (QAction *item : {w.form->N16, w.form->N22, w.form->N41, w.form->N81})
        EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(w.form->StatusBar1->panelText(0), "60sec x3");
    // Without a checked zoom item neither step button does anything.
    w.form->SpeedButton3Click();
    w.form->SpeedButton4Click();
    EXPECT_EQ(w.state().zoom, 3);
    w.form->N22->trigger();
    EXPECT_EQ(w.state().zoom, 2);
}

TEST(FormShow, StoredBeatUnitShapesTheBeatReadout)
{
    Window hours("[Init]\r\nvbps=1\r\n");
    EXPECT_EQ(hours.form->BackPanel1->bpsLabel->caption(), "bph");
    EXPECT_EQ(hours.form->BackPanel1->bpss->caption(), "00000");
    Window seconds;
    EXPECT_EQ(seconds.form->BackPanel1->bpsLabel->caption(), "bps");
    EXPECT_EQ(seconds.form->BackPanel1->bpss->caption(), " 00.0");
}

TEST(PulseMode, ButtonAndMenuStayInStep)
{
    Window w;
    TForm1 &f = *w.form;
    EXPECT_FALSE(f.SpeedButton7->isChecked());
    EXPECT_TRUE(f.NOff1->isChecked());
    f.SpeedButton7->click();
    EXPECT_TRUE(f.SpeedButton7->isChecked());
    EXPECT_TRUE(f.NOn1->isChecked());
    EXPECT_FALSE(f.NOff1->isChecked());
    EXPECT_FALSE(f.SpeedButton8->isEnabled());
    f.SpeedButton7->click();
    EXPECT_FALSE(f.SpeedButton7->isChecked());
    EXPECT_TRUE(f.NOff1->isChecked());
    EXPECT_TRUE(f.SpeedButton8->isEnabled());
    f.NOn1->trigger();
    EXPECT_TRUE(f.SpeedButton7->isChecked());
    f.NOff1->trigger();
    EXPECT_FALSE(f.SpeedButton7->isChecked());
    EXPECT_FALSE(f.NOn1->isChecked());
}

TEST(PulseMode, AcButtonKeepsItsDownStateAcrossPulseMode)
{
    Window w;
    TForm1 &f = *w.form;
    for (bool down : {true, false}) {
        SCOPED_TRACE(down);
        f.SpeedButton8->setChecked(down);
        f.NOn1->trigger();
        EXPECT_FALSE(f.SpeedButton8->isEnabled());
        EXPECT_EQ(f.SpeedButton8->isChecked(), down);
        f.NOff1->trigger();
        EXPECT_TRUE(f.SpeedButton8->isEnabled());
        EXPECT_EQ(f.SpeedButton8->isChecked(), down);
    }
}

TEST(PulseMode, EnteringItClearsTheAmplitude)
{
    Window w;
    TForm1 &f = *w.form;
    f.StatusBar1->setPanelText(4, "280 deg");
    f.StatusBar1->setPanelText(7, "x");
    f.StatusBar1->setPanelText(6, "1.000 sec/day");
    f.BackPanel1->kaku->setValue(280);
    f.NOn1Click();
    EXPECT_EQ(f.StatusBar1->panelText(4), "");
    EXPECT_EQ(f.StatusBar1->panelText(7), "");
    EXPECT_EQ(f.StatusBar1->panelText(6), "1.000 sec/day");
    EXPECT_EQ(f.BackPanel1->kaku->value(), 1000);
    EXPECT_EQ(f.BackPanel1->kaku->displayedText(), "---") << "an invalid amplitude shows three minus signs";
}

TEST(PulseMode, HintsNameTheCurrentModeOnMouseMove)
{
    Window w;
    TForm1 &f = *w.form;
    hover(f.SpeedButton7);
    EXPECT_EQ(f.SpeedButton7->toolTip(), "Analog Mode");
    hover(f.SpeedButton8);
    EXPECT_EQ(f.SpeedButton8->toolTip(), "Peak Mode");
    f.SpeedButton7->click();
    EXPECT_EQ(f.SpeedButton7->toolTip(), "Analog Mode") << "unchanged until the mouse moves";
    hover(f.SpeedButton7);
    EXPECT_EQ(f.SpeedButton7->toolTip(), "Pulse Mode");
    f.SpeedButton7->click();
    f.SpeedButton8->click();
    hover(f.SpeedButton8);
    EXPECT_EQ(f.SpeedButton8->toolTip(), "A-C Mode");
}

namespace {

// One entry of the menu tree: depth, caption ("-" for a separator), object name, and
// -1 for an item without a check mark, else whether it is checked after the window is shown.
struct MenuRow {
    int depth;
    const char *caption;
    const char *name;
    int checked;
};

const MenuRow kMenuTree[] = {
    {0, "&File", "", -1},
    {1, "E&xit", "Exit1", -1},
    {1, "-", "", -1}, // recordings in the window
    {1, "&Open recording…", "OpenRecording1", -1},
    {1, "&Live input", "LiveInput1", -1},
    {1, "&Save audio…", "SaveAudio1", 0},
    {0, "&View", "Show1", -1},
    {1, "Zoom", "N14", -1},
    {2, "x1", "N16", 1}, // the stored zoom 1, applied when shown
    {2, "x2", "N22", 0},
    {2, "x4", "N41", 0},
    {2, "x8", "N81", 0},
    {1, "-", "", -1},
    {1, "900sec", "N9001", 0},
    {1, "600sec", "N6001", 0},
    {1, "300sec", "N3001", 0},
    {1, "-", "", -1},
    {1, "120sec", "N1201", 0},
    {1, "60sec", "N601", 1},
    {1, "40sec", "N401", 0},
    {1, "30sec", "N301", 0},
    {1, "20sec", "N201", 0},
    {1, "10sec", "N101", 0},
    {1, "-", "", -1},
    {1, "3sec", "N31", 0},
    {1, "2sec", "N21", 0},
    {1, "1sec", "N11", 0},
    {1, "-", "", -1},
    {1, "Trend…", "Trend1", -1},
    {1, "Start/Stop", "StartStop1", -1},
    {1, "Beat scope…", "BeatScope1", -1},
    {0, "&Option", "O1", -1},
    {1, "Center &Start", "O2", -1},
    {2, "&No", "N3", 0},
    {2, "&Yes", "N2", 1},
    {1, "&GraphColor", "GraphColor1", -1},
    {2, "&1", "Mono1", 1},
    {2, "&2", "N210", 0},
    {1, "T&hreshold level", "N6", -1},
    {2, "&Save", "N8", 0},
    {2, "&not Save", "N7", 1},
    {1, "&Resolution", "N29", -1},
    {2, "&Low", "N30", 1},
    {2, "&Hi", "N32", 0},
    {1, "&Lift angle", "N9", -1},
    {2, "&52degrees", "N521", 1},
    {2, "&Change", "N10", 0},
    {1, "R&ecording", "N18", -1},
    {2, "&Filetype", "N17", -1},
    {3, "&Bitmap", "bitmap1", 1},
    {3, "&Jpeg", "jpeg1", 0},
    {2, "&Scale", "N19", -1},
    {3, "&Print", "N23", 0},
    {3, "&not Print", "N20", 1},
    {2, "Signal &Graph", "Wave1", -1},
    {3, "&Print", "N25", 0},
    {3, "&not Print", "N24", 1},
    {2, "&Measurable quantity", "N26", -1},
    {3, "&Print", "N28", 0},
    {3, "&not Print", "N27", 1},
    {1, "&Calibration", "C1", -1},
    {2, "&Noise level", "N33", -1},
    {2, "&Time signal", "T1", -1},
    {2, "&Fine control", "F1", -1},
    {2, "Reset clock correction", "ResetClock1", -1},
    {2, "From the computer's clock", "FromComputerClock1", -1},
    {1, "&PulseMode", "StarGraph1", -1},
    {2, "&Yes", "NOn1", 0},
    {2, "&No", "NOff1", 1},
    {1, "&Volume", "Volume1", -1},
    {2, "&Speaker", "Play1", -1},
    {2, "&Microphone", "Rec1", -1},
    {1, "Positions…", "Positions1", -1},
    {1, "Input", "Input1", -1}, // the capture source; the scripted service lists none
    {2, "Default", "InputDefault1", 1},
    {2, "-", "", -1},
    {2, "Show monitors", "ShowMonitors1", 0},
    {1, "Input filter", "InputFilter1", 0},
    {1, "Auto threshold", "AutoThreshold1", 0},
    {1, "-", "", -1},
    {1, "Recording &folder…", "RecordFolder1", -1},
    {1, "Open recording folder", "OpenRecordFolder1", -1},
    {0, "&About", "About2", -1},
    {0, "&Help", "Help1", -1},
    {1, "Measuring a watch", "Guide1", -1},
};

// The tree as rows; a submenu is named by its menu, an item by its action.
void walk(const QList<QAction *> &actions, int depth, std::vector<MenuRow> &rows,
          std::vector<std::string> &texts)
{
    for (QAction *action : actions) {
        texts.push_back(action->isSeparator() ? std::string("-") : action->text().toStdString());
        const QObject *named = action->menu() ? static_cast<QObject *>(action->menu()) : action;
        texts.push_back(named->objectName().toStdString());
        rows.push_back({depth, nullptr, nullptr, action->isCheckable() ? int(action->isChecked()) : -1});
        if (action->menu())
            walk(action->menu()->actions(), depth + 1, rows, texts);
    }
}

struct Tree {
    std::vector<MenuRow> rows;
    std::vector<std::string> texts; // caption, name, caption, name, ...
};

Tree menuTree(TForm1 &form)
{
    Tree tree;
    walk(form.menuBar()->actions(), 0, tree.rows, tree.texts);
    return tree;
}

} // namespace

TEST(MenuTree, CaptionsItemNamesAndCheckMarks)
{
    Window w;
    const Tree tree = menuTree(*w.form);
    ASSERT_EQ(tree.rows.size(), std::size(kMenuTree));
    for (size_t i = 0; i < tree.rows.size(); ++i) {
        const MenuRow &want = kMenuTree[i];
        SCOPED_TRACE(want.caption);
        EXPECT_EQ(tree.rows[i].depth, want.depth);
        EXPECT_EQ(tree.texts[2 * i], want.caption);
        const bool submenu = i + 1 < tree.rows.size() && tree.rows[i + 1].depth > want.depth;
        if (!submenu) {
            EXPECT_EQ(tree.texts[2 * i + 1], want.name);
        }
        // F1 carries a check mark of its own (the fine control's buttons are shown).
        if (std::string(want.name) != "F1") {
            EXPECT_EQ(tree.rows[i].checked, want.checked);
        }
    }
}

// Submenus carry their layout names too, so that they can be found by name as every item
// can.
TEST(MenuTree, SubmenuNames)
{
    Window w;
    const Tree tree = menuTree(*w.form);
    ASSERT_EQ(tree.rows.size(), std::size(kMenuTree));
    for (size_t i = 0; i + 1 < tree.rows.size(); ++i)
        if (tree.rows[i + 1].depth > kMenuTree[i].depth && *kMenuTree[i].name) {
            EXPECT_EQ(tree.texts[2 * i + 1], kMenuTree[i].name) << kMenuTree[i].caption;
        }
}

TEST(MenuTree, RadioItemsExcludeEachOtherWithinTheirGroupOnly)
{
    Window w;
    TForm1 &f = *w.form;
    f.N3->trigger();
    EXPECT_FALSE(f.N2->isChecked());
    EXPECT_TRUE(f.Mono1->isChecked()) << "another group is not touched";
    f.N25->trigger();
    EXPECT_FALSE(f.N24->isChecked());
    EXPECT_TRUE(f.N20->isChecked());
    EXPECT_TRUE(f.N27->isChecked());
    f.N28->trigger();
    EXPECT_FALSE(f.N27->isChecked());
    EXPECT_TRUE(f.N25->isChecked());
}

TEST(Exit, LeavesTheScreenAtOnceAndEndsTheProgramOnceTheBuffersCameBack)
{
    Window w;
    QTimer::singleShot(0, [&w] {
        w.form->Exit1->trigger();
        EXPECT_TRUE(w.state().closing);
        EXPECT_FALSE(w.form->isVisible()) << "off the screen while the capture winds down";
        for (int i = 0; i < 3; ++i)
            w.deliver(std::vector<int16_t>(kBufferSamples, 9));
        EXPECT_TRUE(w.service->isOpen()) << "winding down";
        w.deliver(std::vector<int16_t>(kBufferSamples, 9));
    });
    QTimer::singleShot(3000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the event loop ended with the window";
    EXPECT_FALSE(w.service->isOpen());
    EXPECT_TRUE(w.errors.empty());
}

TEST(NoiseCalibration, SetsTheThresholdRangeAndSurvivesAFullScaleSample)
{
    Window w;
    std::vector<int16_t> quiet(11024, 0);
    quiet[100] = 212;
    quiet[200] = -150;
    w.deliver(quiet);
    w.form->N33->trigger();
    EXPECT_EQ(w.state().noiseLevel, 213);
    EXPECT_EQ(w.form->TrackBar1->maximum(), 32554);
    // A clipped sample: the level goes past the scale; the track bar keeps a usable range.
    w.deliver(std::vector<int16_t>(100, -32768));
    w.form->N33->trigger();
    EXPECT_EQ(w.state().noiseLevel, 32769);
    EXPECT_EQ(w.form->TrackBar1->minimum(), 0);
    EXPECT_GE(w.form->TrackBar1->maximum(), 0);
}

TEST(Sights, CentredWithSystemMenuAndCloseOnlyAndButtonsPointTheirWay)
{
    Window w;
    const Qt::WindowFlags flags = w.form->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const QRect area = w.form->screen()->availableGeometry();
    const QRect frame = w.form->frameGeometry();
    if (frame.width() <= area.width())
        EXPECT_NEAR(frame.center().x(), area.center().x(), 1);
    else
        EXPECT_EQ(frame.left(), area.left()) << "too wide to centre: kept on the screen";
    EXPECT_NEAR(frame.center().y(), area.center().y(), 1);
    // The fine-correction arrows point as the beat-rate arrows do.
    auto image = [](QToolButton *b) { return b->icon().pixmap(b->iconSize()).toImage(); };
    EXPECT_EQ(image(w.form->BackPanel1->SpeedButton5), image(w.form->BackPanel1->upBtn)) << "Dot UP";
    EXPECT_EQ(image(w.form->BackPanel1->SpeedButton6), image(w.form->BackPanel1->downBtn)) << "Dot DOWN";
    EXPECT_NE(image(w.form->BackPanel1->upBtn), image(w.form->BackPanel1->downBtn));
}

TEST(TimeSignal, CalibrationStartsWithTheNewMeasurementNotOnTheOldSweep)
{
    Window w;
    int ends = 0;
    SetMessageSink([&ends](const QString &text) { ends += text == "Time signal calibration end."; });
    // A card ten samples per second fast; the sweep already holds 40 pulses a second apart.
    const WatchParams pulses{
        .beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = 44110};
    WatchFeed before(pulses);
    before.atLeast(w, 40 * 44100);
    w.form->T1Click();
    EXPECT_EQ(ends, 0) << "ended by the old sweep";
    EXPECT_TRUE(w.state().timeSignalCalibrating);
    EXPECT_EQ(w.state().samplesPerSecond, 44100);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Time signal: 58 s left");
    WatchFeed after(pulses);
    after.atLeast(w, 30 * 44100);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Time signal: 29 s left");
    after.atLeast(w, 32 * 44100);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(w.state().fineCorrection, 10);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Clock +19.6 s/day") << "10 samples a second";
    SetMessageSink(nullptr);
}

// The calibration's end box opens once the buffer whose pass ended it has been handled whole,
// after the return to the filter's measurement; capture goes on under the box.
TEST(TimeSignal, TheEndBoxOpensAfterItsBufferIsHandled)
{
    Window w;
    w.form->InputFilter1->trigger();
    WatchFeed feed(
        WatchParams{.beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = 44110});
    int boxes = 0;
    bool handlingAtBox = true;
    int32_t writeIndexAtBox = -1;
    int64_t restartsAtBox = 0, heardAtBox = 0, heardUnderBox = 0;
    SetMessageSink([&](const QString &text) {
        boxes += text == "Time signal calibration end.";
        handlingAtBox = w.form->capture().handling();
        writeIndexAtBox = w.state().writeIndex;
        restartsAtBox = w.state().restarts;
        heardAtBox = w.form->samplesHeard();
        feed.buffers(w, 1); // capture goes on under the box
        heardUnderBox = w.form->samplesHeard();
    });
    w.form->T1Click();
    const int64_t restartsBefore = w.state().restarts;
    feed.atLeast(w, 62 * 44100);
    SetMessageSink(nullptr);
    ASSERT_EQ(boxes, 1);
    EXPECT_FALSE(handlingAtBox);
    EXPECT_EQ(writeIndexAtBox, 0) << "the filter's measurement restarted before the box";
    EXPECT_EQ(restartsAtBox, restartsBefore + 1);
    EXPECT_EQ(heardAtBox % kBufferSamples, 0) << "between two buffers";
    EXPECT_EQ(heardUnderBox, heardAtBox + kBufferSamples);
    EXPECT_EQ(w.state().fineCorrection, 10);
}

// At the window's default width the status bar's notes are read whole beside the readouts'
// panels: a replay's place or its end, with the clock correction in force.
TEST(StatusBar, NotesAreReadWholeAtTheDefaultWidth)
{
    Window w;
    ASSERT_EQ(w.form->width(), 809);
    TStatusBar &bar = *w.form->StatusBar1;
    const auto shown = [&bar](const QString &note) {
        QCoreApplication::processEvents();
        for (const ElidedLabel *label : bar.findChildren<ElidedLabel *>())
            if (label->fullText() == note)
                return (label->isVisible() ? label->text() : QString()).toStdString();
        return std::string();
    };
    bar.setClockNote(QStringLiteral("Clock +5.2 s/day"));
    for (const char *replay : {"0:07 / 1:15", "End of recording"}) {
        bar.setReplayNote(QString::fromUtf8(replay));
        EXPECT_EQ(shown(QString::fromUtf8(replay)), replay);
        EXPECT_EQ(shown(bar.clockNote()), "Clock +5.2 s/day");
    }
    EXPECT_EQ(w.form->width(), 809);
}
