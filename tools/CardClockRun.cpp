#include "tools/CardClockRun.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "capture/AudioFile.h"
#include "capture/CaptureSession.h"
#include "capture/ComputerClock.h"
#include "display/ReportPage.h"
#include "recording/AudioWriter.h"
#include "tools/RecordingAnalysis.h"

namespace tamsel {

namespace {

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale + 0.0; // no -0
}

// Full stops in every locale, no sign for the positive.
QString fixed(double value, int decimals)
{
    return QString::number(rounded(value, decimals), 'f', decimals);
}

long double cardRate(double ppm)
{
    return AudioFile::kRate * (1 + static_cast<long double>(ppm) * 1e-6L);
}

// The card's rate as the corrections, named in the report's header as the window names it.
void setCardRate(RecordingAnalysis &analysis, double ppm, const QDate &checked, ReportFacts *report)
{
    analysis.setTrueRate(cardRate(ppm));
    if (!report)
        return;
    report->clockCorrection = clockCorrectionText(Calibration::CorrectionInForce(analysis.state()),
                                                  QStringLiteral("the computer's clock"), checked);
}

QString clockStatus(bool synchronised)
{
    return synchronised ? QStringLiteral("synchronised") : QStringLiteral("unsynchronised");
}

} // namespace

std::string cardLine(const CardClockCheck &check, bool synchronised)
{
    const std::optional<CardClockCheck::Result> r = check.result();
    const QStringList fields = {
        QStringLiteral("CARD"),
        r ? fixed(r->ppm, 2) : QString(),
        r ? fixed(r->uncertaintyPpm, 2) : QString(),
        r ? fixed(r->secondsPerDay(), 3) : QString(),
        fixed(check.seconds() / 60, 1),
        clockStatus(synchronised),
    };
    return fields.join(QLatin1Char(',')).toStdString() + '\n';
}

std::string cardJson(const CardClockCheck &check, bool synchronised)
{
    const std::optional<CardClockCheck::Result> r = check.result();
    QJsonObject object;
    object[QStringLiteral("type")] = QStringLiteral("card");
    object[QStringLiteral("ppm")] = r ? QJsonValue(rounded(r->ppm, 2)) : QJsonValue();
    object[QStringLiteral("uncertainty_ppm")] = r ? QJsonValue(rounded(r->uncertaintyPpm, 2)) : QJsonValue();
    object[QStringLiteral("s_per_day")] = r ? QJsonValue(rounded(r->secondsPerDay(), 3)) : QJsonValue();
    object[QStringLiteral("minutes")] = rounded(check.seconds() / 60, 1);
    object[QStringLiteral("clock")] = clockStatus(synchronised);
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '\n';
}

void correctByCardClock(CaptureSession &capture, RecordingAnalysis &analysis,
                        const std::function<void(const QString &)> &say, ReportFacts *report)
{
    capture.OnBufferQueued = [&capture, &analysis, say, report, samples = int64_t{0},
                              done = false](int buffer) mutable {
        samples += buffer;
        if (done || samples < capture.device().SamplesPerSec())
            return;
        samples = 0;
        const std::optional<CardClockCheck::Result> r = capture.cardClock().result();
        if (!r || !r->enough())
            return;
        done = true;
        // Such a clock may be as far off as the card: as the window, set nothing by it.
        if (!computerClockSynchronised()) {
            say(QStringLiteral(
                "The computer's clock is not kept by network time: --card-clock sets no correction."));
            return;
        }
        setCardRate(analysis, r->ppm, QDate::currentDate(), report);
        say(QStringLiteral("The card's clock, %1 s/day, is the clock correction from now on.")
                .arg(fixed(r->secondsPerDay(), 3)));
    };
}

QString correctByRecordedCard(const AudioFile &recording, RecordingAnalysis &analysis, ReportFacts *report)
{
    const QString name = QString::fromStdString(recording.name());
    const std::optional<CardCheckNote> card =
        AudioWriter::cardFrom(QString::fromStdString(recording.comment()));
    if (!card)
        return QStringLiteral("%1 carries no check of its card's clock: no correction").arg(name);
    const CardClockCheck::Result r{card->ppm, card->uncertaintyPpm, card->minutes * 60};
    if (!card->synchronised)
        return QStringLiteral(
                   "%1 was recorded on a computer whose clock network time did not keep: no correction")
            .arg(name);
    if (!r.enough())
        return QStringLiteral("%1's card was known to %2 s/day only: no correction")
            .arg(name, fixed(r.uncertaintySecondsPerDay(), 3));
    setCardRate(analysis, r.ppm, AudioWriter::startFrom(QString::fromStdString(recording.date())).date(),
                report);
    return QStringLiteral("%1 carries its card's clock: %2 s/day, the clock correction for the run.")
        .arg(name, fixed(r.secondsPerDay(), 3));
}

} // namespace tamsel
