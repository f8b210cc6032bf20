// The main window's capture path over the scripted sound service: buffers into the sample
// history, the sweep wrap, Start, and the winding down before the window closes.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "WindowDrive.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/ScriptedSoundService.h"

using namespace tamsel;

namespace {

std::vector<int16_t> constant(size_t n, int16_t v)
{
    return std::vector<int16_t>(n, v);
}

} // namespace

TEST(Acquisition, OpenQueuesFourFullSizeBuffersAndStarts)
{
    Window w;
    EXPECT_TRUE(w.service->isStarted());
    EXPECT_EQ(w.service->queued(), 4u);
    EXPECT_EQ(w.service->format().bitsPerSample, 16);
    EXPECT_EQ(w.service->format().channels, 1);
    EXPECT_EQ(w.form->capture().buffers()[0]->Length(), 22048);
    EXPECT_EQ(w.state().samplesPerSweep, 2646000);
}

TEST(Acquisition, StoresMagnitudesAndDrawsFullScaleBar)
{
    Window w;
    w.deliver({-32768, 5, -5, 0});
    EXPECT_EQ(w.state().writeIndex, 4);
    EXPECT_EQ(w.state().sampleHistory[0], 32768);
    EXPECT_EQ(w.state().sampleHistory[1], 5);
    EXPECT_EQ(w.state().sampleHistory[2], 5);
    // Sample 0 lies at x = 10; a full-scale bar runs from the base line H - 10 up to
    // y = 10, that end excluded.
    const QImage &graph = w.form->pictures().signalBitmap();
    ASSERT_GT(graph.height(), 20);
    const int h = graph.height();
    EXPECT_EQ(graph.pixel(10, 11), qRgb(255, 0, 0));
    EXPECT_EQ(graph.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(graph.pixel(10, h - 10), qRgb(255, 0, 0));
    EXPECT_EQ(graph.pixel(10, h - 9), qRgb(255, 255, 255));
    EXPECT_EQ(w.service->queued(), 4u) << "the buffer goes back to the device";
}

TEST(Acquisition, EmptyBufferStoresNothingButIsQueuedAgain)
{
    Window w;
    w.deliver({});
    EXPECT_EQ(w.state().writeIndex, 0);
    EXPECT_EQ(w.service->queued(), 4u);
    EXPECT_TRUE(w.errors.empty());
}

TEST(Acquisition, SweepWrapsAfterItsLastEntry)
{
    Window w;
    // 60 s view: entry 2 646 000 is the last of the sweep.
    w.state().writeIndex = 2646000 - 5;
    w.state().beatCount = 9;
    w.state().beatMark1 = 77;
    std::vector<int16_t> samples(10);
    for (int i = 0; i < 10; ++i)
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(100 + i);
    w.deliver(samples);
    EXPECT_EQ(w.state().sampleHistory[2646000], 105);
    EXPECT_EQ(w.state().sampleHistory[0], 106) << "the wrap comes in the middle of the buffer";
    EXPECT_EQ(w.state().writeIndex, 4);
    EXPECT_EQ(w.state().beatMark1, 0);
}

TEST(Acquisition, ShorterSweepWhileBeyondItWrapsAfterTheNextSample)
{
    Window w;
    w.state().writeIndex = 1000000;
    w.state().samplesPerSweep = 441000;
    w.deliver({11, 12});
    EXPECT_EQ(w.state().sampleHistory[1000000], 11);
    EXPECT_EQ(w.state().sampleHistory[0], 12);
    EXPECT_EQ(w.state().writeIndex, 1);
}

TEST(Acquisition, StartBeginsANewSweepAndStopStopsTheBars)
{
    Window w;
    w.deliver(constant(100, 1000));
    w.form->StopButton->click();
    EXPECT_FALSE(w.form->StartButton->isChecked());
    EXPECT_TRUE(w.form->StopButton->isChecked());
    const int baseLine = w.form->pictures().signalBitmap().height() - 11;
    w.deliver(constant(300, 30000));
    EXPECT_EQ(w.state().writeIndex, 400) << "samples are stored while stopped";
    const int x = static_cast<int>(
        std::nearbyint(350.0 * (w.form->pictures().signalBitmap().width() - 20) / 2646000 + 10));
    EXPECT_EQ(w.form->pictures().signalBitmap().pixel(x + 5, baseLine), qRgb(255, 255, 255))
        << "but not drawn";
    w.form->StartButton->click();
    EXPECT_TRUE(w.form->StartButton->isChecked());
    EXPECT_FALSE(w.form->StopButton->isChecked());
    EXPECT_EQ(w.state().writeIndex, 0);
    // Pressing Start again while down starts over again.
    w.deliver(constant(10, 5));
    w.form->StartButton->click();
    EXPECT_TRUE(w.form->StartButton->isChecked());
    EXPECT_EQ(w.state().writeIndex, 0);
}

TEST(Acquisition, CloseWaitsUntilAllFourBuffersCameBack)
{
    Window w;
    EXPECT_FALSE(w.form->close()) << "refused while the device is open";
    EXPECT_TRUE(w.state().closing);
    for (int i = 0; i < 3; ++i) {
        w.deliver(constant(11024, 3));
        EXPECT_FALSE(w.form->isVisible()) << "off the screen meanwhile";
        EXPECT_TRUE(w.form->WinWaveIn1->Opened());
    }
    EXPECT_EQ(w.state().writeIndex, 0) << "returned buffers are retired, not stored";
    w.deliver(constant(11024, 3));
    EXPECT_FALSE(w.form->WinWaveIn1->Opened());
    EXPECT_FALSE(w.service->isOpen());
    EXPECT_TRUE(w.errors.empty());
}

TEST(Acquisition, FailedOpenIsShownAndTheFirstCloseIsGranted)
{
    Window w;
    w.form.reset();
    w.service = new ScriptedSoundService;
    w.service->failNext(ScriptedSoundService::kOpen, kWaveNotEnabled);
    w.build();
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0], "No sound server is running.");
    EXPECT_TRUE(w.form->close());
}

TEST(Acquisition, ErrorInHandlerIsShownAndCaptureGoesOn)
{
    Window w;
    w.service->failNext(ScriptedSoundService::kAddBuffer, kWaveError);
    w.deliver(constant(10, 1));
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0], "Unspecified error.");
    EXPECT_EQ(w.service->queued(), 3u) << "the device refused that buffer";
    w.deliver(constant(10, 2));
    EXPECT_EQ(w.state().writeIndex, 20);
    EXPECT_EQ(w.service->queued(), 3u);
}

// At the default width the status bar has no room left for the capture's note: a lost sound
// server and the audio lost meanwhile show in the LED strip, beside the readouts, until all is
// well again.
TEST(Acquisition, ALossOfAudioIsInSightAtTheDefaultWidth)
{
    Window w;
    ASSERT_EQ(w.form->width(), 809);
    w.service->notify(kWimFailure, kWaveServerBase + 6);
    for (int quarter = 0; quarter < 40; ++quarter)
        w.service->notify(kWimLoss, 11025);
    QCoreApplication::processEvents();
    const ElidedLabel *alarm = w.form->BackPanel1->CaptureAlarm;
    ASSERT_TRUE(alarm->isVisible());
    EXPECT_TRUE(alarm->text().startsWith("Sound server lost")) << alarm->text().toStdString();
    const QRect strip = w.form->BackPanel1->rect();
    EXPECT_TRUE(strip.contains(alarm->geometry()));
    for (const QWidget *readout : {static_cast<QWidget *>(w.form->BackPanel1->kaku), static_cast<QWidget *>(w.form->BackPanel1->spd),
                                   static_cast<QWidget *>(w.form->BackPanel1->LEDLabel3), static_cast<QWidget *>(w.form->BackPanel1->SpeedButton5)})
        EXPECT_FALSE(alarm->geometry().intersects(readout->geometry()));
    EXPECT_EQ(alarm->toolTip(), w.form->StatusBar1->captureNote());

    w.service->notify(kWimRestored, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(alarm->text().startsWith("Audio lost: 10.000 s")) << alarm->text().toStdString();
}

TEST(Acquisition, LossAndServerFailureAreShownInTheStatusBarWithoutWideningTheWindow)
{
    Window w;
    const int width = w.form->width();
    w.service->notify(kWimLoss, 44100);
    w.service->notify(kWimLoss, -1);
    w.service->notify(kWimFailure, kWaveServerBase + 6);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.form->lostSamples(), 44100);
    const QString note = w.form->StatusBar1->captureNote();
    EXPECT_NE(note.indexOf("Audio lost: 1.000 s"), -1) << note.toStdString();
    EXPECT_NE(note.indexOf("Connection refused"), -1);
    EXPECT_NE(note.indexOf("dropped audio 1 times"), -1);
    EXPECT_EQ(w.form->width(), width) << "the note is elided to its panel";
    EXPECT_LE(w.form->minimumSizeHint().width(), width);
    EXPECT_EQ(w.form->StatusBar1->findChild<ElidedLabel *>(QStringLiteral("CaptureNote"))->toolTip(), note)
        << "the whole text";
    w.service->notify(kWimRestored, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.form->StatusBar1->captureNote().indexOf("Connection refused"), -1);
}
