#pragma once
// The main window: it owns every control, the measurement engine, the image layers and the
// capture session, and is the one place that knows both the numbers and the controls.
#include <QAction>
#include <QActionGroup>
#include <QImage>
#include <QMainWindow>
#include <QSlider>
#include <QSplitter>
#include <QToolButton>
#include <array>
#include <memory>

#include "app/ClockControl.h"
#include "app/HeldErrors.h"
#include "app/RunFlags.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "capture/CaptureSession.h"
#include "display/ChartTrace.h"
#include "measurement/MeasurementEngine.h"
#include "recording/Recorder.h"
#include "settings/AboutBox.h"
#include "settings/TIniSaveProps.h"
#include "settings/Unit1.h"
#include "widgets/LedLabel.h"

class QTimer;

namespace tamsel {

class HelpMenu;
class PositionsDialog;
class Trend;
class RecordingsMenu;

// What a window is built with besides its layout: tests and tools choose these.
struct TForm1Design {
    QString caption = QStringLiteral("Tamsel"); // "タムセル" gives the Japanese interface
    QString settingsFile;                       // empty: the usual place
    QString device;    // the source for this run (name or description) over the stored choice
    QString recording; // the name of a recording replayed in place of the live capture
};

class TForm1 : public QMainWindow, public MeasurementListener {
public:
    // Without a sound service the live sound server is used.
    explicit TForm1(std::unique_ptr<SoundService> service = nullptr, const TForm1Design &design = {},
                    QWidget *parent = nullptr);
    ~TForm1() override;

    // Life of the window and the capture.
    void FormCreate();
    // A buffer the capture session hands on, whole: stored, drawn and measured.
    void WinWaveIn1ReturnBuffer(const TWinWaveBuffer &buf);
    void StartButtonClick();
    // Stores a returned buffer's samples in the history, drawing their bars and wrapping the
    // sweep as it goes.
    void StoreSamples(const TWinWaveBuffer &buf);
    void FormCloseQuery(bool &CanClose);
    void FormDestroy();

    // Shared routines.
    void ResetMeasurement();
    void DrawChartFrame(int32_t seconds);
    void DrawSignalOverlay();
    void DrawRuler();
    void AnalyseSamples();
    void CountBeats();
    void Panel4Resize();
    void Panel6Resize();
    void TrackBar1Change();

    // The readouts.
    void bpsLabelClick();
    void bpssMouseMove();
    void spdClick();
    void katatimeClick();
    void upBtnClick();
    void downBtnClick();
    void ShowBeatRate();
    // The engine's reading: its new parts into the LED strip and the status bar.
    void showReading(const Reading &reading);
    // The one place the measures' readouts (`Reading::kMeasures` parts) are cleared; with
    // `panels`, their figures in the status bar too.
    void clearReadouts(unsigned parts, bool panels);

    // Views and zoom.
    void N11Click();
    void N21Click();
    void N31Click();
    void N101Click();
    void N201Click();
    void N301Click();
    void N401Click();
    void N601Click();
    void N1201Click();
    void N3001Click();
    void N6001Click();
    void N9001Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void N16Click();
    void N22Click();
    void N41Click();
    void N81Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void PaintBox1MouseDown(int x, int y);
    QString ViewZoomText() const;

    // Options, modes, calibration.
    void FormShow();
    void N2Click();
    void N3Click();
    void Mono1Click();
    void N210Click();
    void N8Click();
    void N7Click();
    void N30Click();
    void N32Click();
    void bitmap1Click();
    void jpeg1Click();
    void N23Click();
    void N20Click();
    void N25Click();
    void N24Click();
    void N28Click();
    void N27Click();
    void NOn1Click();
    void NOff1Click();
    void SpeedButton7Click();
    void SpeedButton7MouseMove();
    void SpeedButton8MouseMove();
    void N33Click();
    void T1Click();
    void F1Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void Exit1Click();

    bool japanese() const;
    AnalysisControls controls() const;
    MeasurementEngine &engine() { return engine_; }
    const MeasurementEngine &engine() const { return engine_; }

    // Lift angle, mixer, about.
    void N521Click();
    void N10Click();
    void Play1Click();
    void Rec1Click();
    void About1Click();

    // Recording.
    void recBtnClick();
    void RecordSweep(const SweepRecord &sweep);
    // Runs at every sweep end, after the recording (the headless analyzer prints there).
    std::function<void()> OnSweepEnd;

    // The positional test.
    void Positions1Click();
    PositionsDialog *PositionsDlg = nullptr; // made at its first use
    Recorder &recorder() { return recorder_; }
    ClockControl &clock() { return *clock_; }
    // Samples stored since the window was made: the position in the audio heard.
    int64_t samplesHeard() const { return engine_.samplesHeard(); }

    // View ▸ Trend…: the run's trend, kept from the start (app/trend/).
    void Trend1Click();
    Trend &trend() { return *trend_; }

    // Recordings: File / Open recording..., Live input and Save audio... (app/recordings/).
    RecordingsMenu *Recordings1 = nullptr;

    // An ordinary microphone: the input filter and the automatic threshold.
    void InputFilter1Click();
    void AutoThreshold1Click();
    void TrackBar1Moved(); // by hand

    // Settings.
    void IniSaveProps1AfterLoad(QObject *Sender);
    void IniSaveProps1AfterSave(QObject *Sender);

    // The capture: its source (Option / Input), what it lost, its buffers' round trip.
    CaptureSession &capture() { return capture_; }
    int64_t lostSamples() const { return capture_.lostSamples(); }
    void InputItemClick(QAction *item);
    void ShowMonitors1Click();

private:
    MeasurementEngine engine_; // before `state`, which is its own
    CaptureSession capture_;   // before `WinWaveIn1`, which is its device

public:
    MeasurementState &state = engine_.state;
    QImage signalBitmap;
    QImage signalOverlay;
    QImage traceBitmap;
    QImage gridBitmap;
    QImage rulerBitmap;

    TWinWaveIn *WinWaveIn1 = &capture_.device();
    TIniSaveProps *IniSaveProps1;
    TOKBottomDlg *OKBottomDlg;
    AboutBox *AboutDlg1;
    TPanel *BackPanel1;
    QToolButton *autosw;
    QToolButton *upBtn;
    QToolButton *downBtn;
    TLEDLabel *bpss;
    TLEDLabel *bpsLabel;
    TLEDLabel *katatime;
    TLEDLabel *LEDLabel1;
    TLEDLabel *kaku;
    TLEDLabel *LEDLabel3;
    QToolButton *SpeedButton5;
    QToolButton *SpeedButton6;
    TLEDLabel *spd;
    TLEDLabel *spdLabel;
    QFrame *Panel1;
    QWidget *Panel3;
    QSlider *TrackBar1;
    TPanel *Panel4;
    TPaintBox *PaintBox2;
    QSplitter *Splitter1;
    QFrame *Panel2;
    QWidget *Panel5;
    TPanel *Panel6;
    TPaintBox *PaintBox1;
    QToolButton *SpeedButton7;
    QToolButton *SpeedButton8;
    QToolButton *SpeedButton1;
    QToolButton *SpeedButton2;
    QToolButton *SpeedButton3;
    QToolButton *SpeedButton4;
    QToolButton *StartButton;
    QToolButton *StopButton;
    QToolButton *recBtn;
    TStatusBar *StatusBar1;

    // The menu: options live in the check marks of its radio items.
    QAction *Exit1;
    QAction *N16, *N22, *N41, *N81;
    QAction *N9001, *N6001, *N3001, *N1201, *N601, *N401, *N301, *N201, *N101, *N31, *N21, *N11;
    QAction *N3, *N2;
    QAction *Mono1, *N210;
    QAction *N8, *N7;
    QAction *N30, *N32;
    QAction *N521, *N10;
    QAction *bitmap1, *jpeg1;
    QAction *N23, *N20;
    QAction *N25, *N24;
    QAction *N28, *N27;
    QAction *N33, *T1, *F1, *ResetClock1;
    QAction *NOn1, *NOff1;
    QAction *Play1, *Rec1;
    QAction *About2;
    QAction *Positions1;
    QAction *Trend1;
    QAction *StartStop1; // the Start and Stop buttons from the keyboard
    HelpMenu *Help1 = nullptr;
    RunFlags runFlags; // options given on the command line for this run only
    QMenu *Input1;
    QActionGroup *InputGroup1;
    QAction *InputDefault1, *ShowMonitors1;
    QAction *InputFilter1, *AutoThreshold1;
    QString recordFolder;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // What the engine hands on.
    void samplesStored(int32_t from, int32_t count) override;
    void readingChanged(const Reading &reading) override;
    void passStarted() override;
    void firstBeatOfSweep() override;
    void beatMarked(const Beat &beat) override;
    void passEnded() override;
    void templatesAveraged(const AveragedTemplates &templates) override;
    void sweepEnded(const SweepRecord &sweep) override;
    void timeSignalCalibrationEnded(bool heard) override;

private:
    void buildLayout();
    void buildLedStrip();
    void buildMenus();
    void buildSettings(const QString &file);
    void buildMicrophoneItems(QMenu *option);
    void measuringModeChanged();
    void countRestart();
    void followThreshold();
    void chooseLongView(int32_t seconds, QAction *item);
    void chooseShortView(int32_t seconds, QAction *item);
    void chooseZoom(int32_t factor, QAction *item);
    void colourRateReadout();
    void colourBeatErrorReadout();
    void wireHandlers();
    void wireCapture();
    void setStartDown();
    void showCaptureNote();
    void buildInputMenu(QMenu *option);
    void refreshInputMenu();
    void showInputInUse();

    Recorder recorder_;
    std::unique_ptr<Trend> trend_;
    Calibration &calibration_; // the engine's, which follows the time signal's pulses
    std::unique_ptr<ClockControl> clock_;
    ChartTrace chartTrace_;
    QString caption_; // the layout's caption, which the language rule reads; the title adds the source
    HeldErrors heldErrors_;
    bool destroyed_ = false;
    bool shown_ = false;
};

} // namespace tamsel
