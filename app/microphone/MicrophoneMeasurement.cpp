#include "app/microphone/MicrophoneMeasurement.h"

#include "app/TForm1.h"
#include "display/SignalGraph.h"
#include "display/TemplateGraph.h"
#include "measurement/Numbers.h"

namespace tamsel {

namespace {
constexpr long double kSecondsPerDay = 86400.0L;
} // namespace

void MicrophoneMeasurement::reset()
{
    meter_.reset();
    showing_ = false;
}

void MicrophoneMeasurement::show()
{
    form_.StatusBar1->setWatchNote(hearingText());
    if (!form_.StartButton->isChecked())
        meter_.takeBeats(); // stored, but neither drawn nor shown while Start is up
    else if (meter_.hasReading())
        showReading();
    else if (showing_ && meter_.hearing() == AveragingMeter::Hearing::NoWatch)
        clearReadouts();
    markBeats();
    drawTemplates();
}

QString MicrophoneMeasurement::hearingText() const
{
    switch (meter_.hearing()) {
    case AveragingMeter::Hearing::NoWatch: return QStringLiteral("No watch heard");
    case AveragingMeter::Hearing::Weak: return QStringLiteral("Weak signal: the watch is barely heard");
    default: return QString();
    }
}

// The beats as dots on the chart, at their correlated times within the sweep.
void MicrophoneMeasurement::markBeats()
{
    MeasurementState &state = form_.state;
    AnalysisOutput &output = form_.measuredOutput();
    const std::vector<AveragingMeter::Beat> beats = meter_.takeBeats();
    if (!form_.StartButton->isChecked() || !state.beatRateSet() || !meter_.hasReading())
        return;
    // The newest sample heard is the history's last entry.
    const int64_t newest = meter_.samplesHeard() - 1;
    output.passStarted();
    for (const AveragingMeter::Beat &b : beats) {
        const int64_t index = state.writeIndex - 1 - (newest - std::llround(b.time));
        if (index < 0 || index > state.writeIndex)
            continue; // heard in the sweep before
        Beat beat;
        beat.peakIndex = beat.pulseEnd = beat.latePeak = beat.beatTime = static_cast<int32_t>(index);
        beat.pulseStart = static_cast<uint32_t>(index);
        beat.inStep = b.fits;
        if (state.beatCount == 0)
            output.firstBeatOfSweep();
        ++state.beatCount;
        output.beatMarked(beat);
    }
    output.passEnded();
}

void MicrophoneMeasurement::showReading()
{
    MeasurementState &state = form_.state;
    AnalysisOutput &output = form_.measuredOutput();
    const AveragingMeter::Reading &r = meter_.reading();
    if (form_.autosw->isChecked() && state.beatsPerSecond != r.beatsPerHour / 3600) {
        state.beatsPerSecond = r.beatsPerHour / 3600;
        output.beatRateCounted();
    }
    if (!state.beatRateSet())
        return;
    // Samples become time by the sound card's true rate (the clock correction).
    const long double secondsPerSample = 1.0L / state.trueSamplesPerSecond();
    const long double nominal = state.trueBeatPeriod();
    const long double ratio = (nominal - r.beatPeriod) / nominal;
    state.rateRatio = static_cast<double>(ratio);
    output.rateMeasured(static_cast<double>(ratio * kSecondsPerDay));
    output.beatErrorMeasured(static_cast<double>(r.beatError * secondsPerSample * 1000));
    // The balance's own motion gives the amplitude here: the lift is measured from the
    // unlocking to the drop, not from a pulse's shape.
    const double degrees = AveragingMeter::amplitude(state.liftAngle, r);
    const auto shown = static_cast<uint32_t>(Round(std::min(degrees, 1e6)));
    output.amplitudeMeasured(shown, state.liftAngle < degrees && degrees <= 360,
                             static_cast<uint32_t>(Round(r.lift)));
    showing_ = true;
}

// Nothing is shown, as for silence.
void MicrophoneMeasurement::clearReadouts()
{
    MeasurementState &state = form_.state;
    if (form_.autosw->isChecked()) {
        state.beatsPerSecond = 0;
        form_.ShowBeatRate();
        form_.DrawRuler();
    }
    state.rateRatio = 0;
    state.reading.amplitude = 0;
    state.reading.amplitudeValid = false;
    state.reading.beatsPerSecond = state.beatsPerSecond;
    form_.clearReadouts(TForm1::kAllReadouts, true);
    showing_ = false;
}

void MicrophoneMeasurement::drawTemplates()
{
    if (!form_.StartButton->isChecked())
        return;
    TemplatePicture picture;
    picture.tick = meter_.tickTemplate().shape();
    picture.tock = meter_.tockTemplate().shape();
    if (!picture.tick.empty()) {
        picture.tickEvents = meter_.tickEvents().rises;
        picture.tockEvents = meter_.tockEvents().rises;
    }
    picture.samplesPerPoint = BandBank::kDecimation;
    form_.signalBitmap =
        TemplateGraph::draw(form_.signalBitmap.width(), form_.signalBitmap.height(), picture);
}

} // namespace tamsel
