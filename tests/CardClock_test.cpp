// The sound card checked against the computer's clock, in the window: the status bar's card
// note as the check goes on, Option ▸ Calibration ▸ "From the computer's clock" refusing until
// the card is known to 0.1 s/day and then setting the clock correction, whose origin the
// settings and the report keep; and a recording saved meanwhile carrying the check, which the
// analyzer corrects by.
#include <QDate>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "AnalyzerProcess.h"
#include "WindowFixture.h"
#include "app/cardclock/CardClock.h"
#include "app/recordings/RecordingsMenu.h"
#include "support/Messages.h"

using namespace tamsel;

namespace {

// Silence from a card 37 ppm fast, its buffers handed on as a desktop does: a few ms late, now
// and then tens, never early.
class FastCard {
public:
    explicit FastCard(Window &w) : w_(w)
    {
        w.form->capture().arrivalClock = [this] { return now_; };
    }
    double seconds() const { return static_cast<double>(samples_) / kCardRate; }
    void until(double seconds)
    {
        while (this->seconds() < seconds) {
            samples_ += kBuffer;
            double arrival = this->seconds() + 0.001 + scheduler_(random_);
            if (chance_(random_) < 0.03)
                arrival += busy_(random_);
            handedOn_ = std::max(handedOn_, arrival);
            now_ = std::llround(handedOn_ * 1e9);
            w_.deliver(silence_);
        }
    }

private:
    static constexpr int64_t kBuffer = 11024; // a buffer's samples
    static constexpr double kCardRate = 44100 * (1 + 37e-6);
    Window &w_;
    const std::vector<int16_t> silence_ = std::vector<int16_t>(kBuffer, 0);
    std::mt19937 random_{37};
    std::exponential_distribution<double> scheduler_{1 / 0.003};
    std::uniform_real_distribution<double> chance_{0, 1}, busy_{0.01, 0.06};
    int64_t samples_ = 0;
    double handedOn_ = 0;
    int64_t now_ = 0;
};

} // namespace

TEST(CardClock, TheWindowShowsTheCardAndSetsTheClockByIt)
{
    std::vector<QString> messages;
    SetMessageSink([&](const QString &text) { messages.push_back(text); });
    Window w;
    CardClock &card = w.form->cardClock();
    bool synchronised = false;
    card.computerClockSynchronised = [&] { return synchronised; };
    const auto note = [&] {
        card.show();
        return w.form->StatusBar1->cardNote();
    };
    const auto chosen = [&] {
        card.FromComputerClock1->trigger();
        return messages.empty() ? QString() : messages.back();
    };
    FastCard feed(w);
    EXPECT_EQ(note().toStdString(), "") << "nothing timed yet";

    // Without network time the computer's clock is no better than the card's.
    feed.until(10);
    EXPECT_EQ(note().toStdString(), "Card unchecked: no network time");
    EXPECT_EQ(chosen().toStdString(),
              "The computer's clock is not kept by network time, so it cannot check the card's clock: no "
              "correction set.");
    EXPECT_EQ(w.state().samplesPerSecond, 44100);

    synchronised = true;
    EXPECT_TRUE(note().startsWith("Card: first reading in ")) << note().toStdString();
    while (!w.form->capture().cardClock().result())
        feed.until(feed.seconds() + 0.25);
    ASSERT_FALSE(w.form->capture().cardClock().result()->enough()) << "the first reading is rough";
    EXPECT_TRUE(note().startsWith("Card: 0.1 s/day in ")) << note().toStdString();
    EXPECT_TRUE(chosen().contains("\nNo correction set: it needs the card known to 0.1 s/day (0.1 s/day in "))
        << messages.back().toStdString();
    EXPECT_EQ(w.state().samplesPerSecond, 44100);
    EXPECT_EQ(w.state().clockCorrection, 0);

    feed.until(240);
    const QRegularExpression known(
        QStringLiteral("^Card \\+3[67]\\.\\d ±0\\.\\d ppm \\(\\+3\\.[12]\\d s/day\\), 3 min$"));
    EXPECT_TRUE(known.match(note()).hasMatch()) << note().toStdString();
    EXPECT_EQ(chosen().toStdString(), (note() + ".\nSet as the clock correction.").toStdString());
    // As a time signal sets it: whole samples a second, and the rest as the clock correction.
    EXPECT_EQ(w.state().samplesPerSecond, 44102);
    EXPECT_NEAR(Calibration::CorrectionInForce(w.state()), 37 * 0.0864, 0.05);
    EXPECT_EQ(w.form->StatusBar1->clockNote().toStdString(), "Clock +3.2 s/day");
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_TRUE(w.form->clock().reportText().endsWith(" s/day (the computer's clock, " + today + ")"))
        << w.form->clock().reportText().toStdString();

    w.restart();
    EXPECT_TRUE(w.ini().contains(("ClockOrigin=computer-clock\r\nClockDate=" + today + "\r\n").toLatin1()));
    EXPECT_EQ(w.state().samplesPerSecond, 44102);
    EXPECT_TRUE(w.form->clock().reportText().startsWith("clock correction +3."))
        << w.form->clock().reportText().toStdString();
    EXPECT_TRUE(w.form->clock().reportText().endsWith("(the computer's clock, " + today + ")"));
    // From then on every origin is kept: a hand step.
    w.form->clock().step(+1, true);
    w.restart();
    EXPECT_TRUE(w.ini().contains(("ClockOrigin=hand\r\nClockDate=" + today + "\r\n").toLatin1()));
    SetMessageSink(nullptr);
}

TEST(CardClock, ARecordingCarriesTheCheckAndTheAnalyzerCorrectsByIt)
{
    Window w;
    w.form->cardClock().computerClockSynchronised = [] { return true; };
    FastCard feed(w);
    feed.until(240);
    const QString saved = w.dir.filePath("heard.flac");
    ASSERT_TRUE(w.form->Recordings1->startSaving(saved));
    feed.until(250);
    w.form->Recordings1->stopSaving();

    // The FINAL line ends with the samples per second measured by.
    const test::AnalyzerRun plain = test::analyze({"--quiet", saved});
    ASSERT_FALSE(plain.lines.isEmpty()) << plain.errors.toStdString();
    EXPECT_EQ(plain.lines.last().section(',', -1).toStdString(), "44100");
    // With it, the correction the report's header names.
    const QString report = w.dir.filePath("report.svg");
    const test::AnalyzerRun corrected = test::analyze({"--card-clock", "--report", report, saved});
    const QStringList finals = corrected.lines.filter(QRegularExpression("^FINAL,"));
    ASSERT_EQ(finals.size(), 1) << corrected.errors.toStdString();
    EXPECT_EQ(finals[0].section(',', -1).toStdString(), "44102");
    EXPECT_TRUE(corrected.errors.contains("heard.flac carries its card's clock: 3.1"))
        << corrected.errors.toStdString();
    QFile svg(report);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(page.contains(" s/day (the computer's clock, " + QDate::currentDate().toString(Qt::ISODate) +
                              ")</text>"))
        << page.mid(page.indexOf("clock correction"), 80).toStdString();
}
