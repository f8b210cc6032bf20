#pragma once
// The main window: it owns every control, the measurement state, the image layers and the
// capture buffers, and is the one place that knows both the numbers and the controls.
#include <QImage>
#include <QMainWindow>
#include <QSlider>
#include <QSplitter>
#include <QToolButton>
#include <array>
#include <memory>

#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "capture/WinWave.h"
#include "display/ChartTrace.h"
#include "measurement/AnalysisOutput.h"
#include "measurement/BeatAnalyser.h"
#include "measurement/MeasurementState.h"
#include "widgets/LedLabel.h"

namespace tamsel {

class TForm1 : public QMainWindow, public AnalysisOutput {
public:
    // Without a sound service the live sound server is used.
    explicit TForm1(std::unique_ptr<SoundService> service = nullptr, QWidget *parent = nullptr);
    ~TForm1() override;

    // Life of the window and the capture.
    void FormCreate();
    void WinWaveIn1Open(QObject *sender);
    void WinWaveIn1ReturnBuffer(TWinWaveDevice *dev, TWinWaveBuffer *buf);
    void StartButtonClick();
    // Stores a returned buffer's samples in the history, drawing their bars, processing
    // pending events and wrapping the sweep as it goes.
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

    bool japanese() const;
    AnalysisControls controls() const;

    // Capture health, beyond the wave-input notifications.
    void WinWaveIn1Loss(TWinWaveDevice *dev, int64_t samples);
    void WinWaveIn1Failure(TWinWaveDevice *dev, const std::string &text);
    int64_t lostSamples() const { return lostSamples_; }

    MeasurementState state;
    QImage signalBitmap;
    QImage signalOverlay;
    QImage traceBitmap;
    QImage gridBitmap;
    QImage rulerBitmap;
    std::array<std::unique_ptr<TWinWaveBuffer>, 4> captureBuffers;

    TWinWaveIn *WinWaveIn1;
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

protected:
    void closeEvent(QCloseEvent *event) override;

    // What the analysis pass hands on.
    void passStarted() override;
    void firstBeatOfSweep() override;
    void rateMeasured(double secondsPerDay) override;
    void timeSignalCalibrationEnded() override;
    void amplitudeMeasured(uint32_t degrees, bool valid, uint32_t liftSamples) override;
    void beatErrorMeasured(double milliseconds) override;
    void beatMarked(const Beat &beat) override;
    void passEnded() override;
    void beatRateCounted() override;

private:
    void buildLayout();
    void buildLedStrip();
    void colourRateReadout();
    void colourBeatErrorReadout();
    void wireHandlers();
    void setStartDown();
    void showCaptureNote();

    BeatAnalyser analyser_;
    ChartTrace chartTrace_;
    int64_t lostSamples_ = 0;
    int unmeasuredLosses_ = 0;
    QString failure_;
    bool destroyed_ = false;
};

} // namespace tamsel
