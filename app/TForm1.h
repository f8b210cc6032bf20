#pragma once
// The main window: it owns every control (the menu tree from its base, the LED strip), the
// measurement session, the image layers and the capture session, and is the one place that
// knows both the numbers and the controls: it adapts the session to a screen.
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
#include "app/HeldBoxes.h"
#include "app/InputMenu.h"
#include "app/LedStrip.h"
#include "app/MainMenu.h"
#include "app/RunFlags.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "app/ViewMenu.h"
#include "app/WindowSettings.h"
#include "capture/CaptureSession.h"
#include "display/SweepPictures.h"
#include "measurement/MeasurementSession.h"
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
class Scope;
class CardClock;
class RecordingsMenu;

// What a window is built with besides its layout: tests and tools choose these.
struct TForm1Design {
    QString caption = QStringLiteral("Tamsel"); // "タムセル" gives the Japanese interface
    QString settingsFile;                       // empty: the usual place
    QString device;    // the source for this run (name or description) over the stored choice
    QString recording; // the name of a recording replayed in place of the live capture
};

class TForm1 : public QMainWindow, public SessionListener, public MainMenu {
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
    void FormCloseQuery(bool &CanClose);
    void FormDestroy();

    // Shared routines.
    void ResetMeasurement();
    void DrawChartFrame(int32_t seconds);
    void DrawSignalOverlay();
    void DrawRuler();
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
    // A new measurement blanks the measures' LED readouts; the status bar keeps the figures.
    void clearReadouts(unsigned parts);

    // Views and zoom.
    void N11Click() { session_.chooseView(1); }
    void N21Click() { session_.chooseView(2); }
    void N31Click() { session_.chooseView(3); }
    void N101Click() { session_.chooseView(10); }
    void N201Click() { session_.chooseView(20); }
    void N301Click() { session_.chooseView(30); }
    void N401Click() { session_.chooseView(40); }
    void N601Click() { session_.chooseView(60); }
    void N1201Click() { session_.chooseView(120); }
    void N3001Click() { session_.chooseView(300); }
    void N6001Click() { session_.chooseView(600); }
    void N9001Click() { session_.chooseView(900); }
    void SpeedButton1Click() { viewMenu_.stepLength(+1); } // longer
    void SpeedButton2Click() { viewMenu_.stepLength(-1); }
    void N16Click() { session_.chooseZoom(1); }
    void N22Click() { session_.chooseZoom(2); }
    void N41Click() { session_.chooseZoom(4); }
    void N81Click() { session_.chooseZoom(8); }
    void SpeedButton3Click() { viewMenu_.stepZoom(+1); } // closer
    void SpeedButton4Click() { viewMenu_.stepZoom(-1); }
    void PaintBox1MouseDown(int x, int y);

    // Options, modes, calibration.
    void FormShow();
    // Options whose choice is read where it takes effect: the handler only checks its item.
    void N2Click() { N2->setChecked(true); }
    void N3Click() { N3->setChecked(true); }
    void Mono1Click() { Mono1->setChecked(true); }
    void N210Click() { N210->setChecked(true); }
    void N8Click() { N8->setChecked(true); }
    void N7Click() { N7->setChecked(true); }
    void N30Click() { N30->setChecked(true); }
    void N32Click() { N32->setChecked(true); }
    void bitmap1Click() { bitmap1->setChecked(true); }
    void jpeg1Click() { jpeg1->setChecked(true); }
    void N23Click() { N23->setChecked(true); }
    void N20Click() { N20->setChecked(true); }
    void N25Click() { N25->setChecked(true); }
    void N24Click() { N24->setChecked(true); }
    void N28Click() { N28->setChecked(true); }
    void N27Click() { N27->setChecked(true); }
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
    AnalysisControls controls() const { return session_.controls(); }
    const MeasurementEngine &engine() const { return session_.engine(); }
    MeasurementSession &session() { return session_; }

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

    // Option ▸ Positions…: the positional test (app/positions/).
    PositionsDialog *PositionsDlg = nullptr; // made at its first use
    Recorder &recorder() { return recorder_; }
    ClockControl &clock() { return *clock_; }
    // Samples stored since the window was made: the position in the audio heard.
    int64_t samplesHeard() const { return session_.engine().samplesHeard(); }

    // View ▸ Trend…: the run's trend, kept from the start (app/trend/).
    Trend &trend() { return *trend_; }
    // View ▸ Beat scope…: the averaged tick and tock large (app/scope/).
    Scope &scope() { return *scope_; }
    CardClock &cardClock() { return *cardClock_; } // the card against the computer's clock

    // Recordings: File / Open recording..., Live input and Save audio... (app/recordings/).
    RecordingsMenu *Recordings1 = nullptr;

    // The capture: its source (Option / Input), what it lost, its buffers' round trip.
    CaptureSession &capture() { return capture_; }
    int64_t lostSamples() const { return capture_.lostSamples(); }
    // The layout's caption, which the language rule reads; the title adds the source.
    const QString &caption() const { return caption_; }

private:
    MeasurementSession session_; // before `state`, which is its engine's
    InputMenu inputMenu_{*this}; // outlives the capture, which tells it of its sources
    ViewMenu viewMenu_{*this};
    WindowSettings settings_{*this};
    CaptureSession capture_; // before `WinWaveIn1`, which is its device

public:
    const MeasurementState &state = session_.state();
    const SweepPictures &pictures() const { return pictures_; }

    TWinWaveIn *WinWaveIn1 = &capture_.device();
    TIniSaveProps *IniSaveProps1;
    TOKBottomDlg *OKBottomDlg;
    AboutBox *AboutDlg1;
    LedStrip *BackPanel1;
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

    QAction *About2;
    HelpMenu *Help1 = nullptr;
    RunFlags runFlags; // options given on the command line for this run only
    QString recordFolder;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // What the session hands on.
    void measurementReset() override;
    void measurementRestarted() override;
    void thresholdChanged() override;
    void zoomChosen(int32_t factor) override;
    void viewChosen(int32_t seconds) override;
    void timeSignalStarted() override;
    void bufferStored() override;
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
    void buildMenus();
    void colourRateReadout() { BackPanel1->colourRate(state.rateMode == 0, japanese()); }
    void colourBeatErrorReadout() { BackPanel1->colourBeatError(state.beatErrorMode == 0); }
    void wireHandlers();
    void wireCapture();
    void setStartDown();

    Recorder recorder_;
    std::unique_ptr<Trend> trend_;
    std::unique_ptr<Scope> scope_;
    std::unique_ptr<ClockControl> clock_;
    std::unique_ptr<CardClock> cardClock_;
    SweepPictures pictures_{session_.state()};
    LedReadouts leds_; // what the LED readouts show of the engine's reading
    QString caption_;  // the layout's caption, which the language rule reads; the title adds the source
    HeldBoxes heldBoxes_; // shown once the buffer that raised them has been handled
    bool destroyed_ = false;
    bool shown_ = false;
};

} // namespace tamsel
