// The capture session on its own, with no window in the process: a sound server missing at
// start and appearing later, audio lost on the way, a handler that fails, and the winding down.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "RunUntil.h"
#include "capture/CaptureSession.h"
#include "capture/ScriptedSoundService.h"

using namespace tamsel;
using tamsel::test::runUntil;

namespace {} // namespace

TEST(CaptureSession, CapturesOnceTheServerAppearsAndAccountsForWhatGoesWrong)
{
    auto *service = new ScriptedSoundService;
    CaptureSession session{std::unique_ptr<SoundService>(service)};
    std::vector<size_t> handed;
    QStringList held;
    int handled = 0, losses = 0;
    bool closed = false, failNext = false;
    session.OnBuffer = [&](const TWinWaveBuffer &buf) {
        handed.push_back(buf.Samples().size());
        if (failNext)
            throw std::runtime_error("Disk full.");
    };
    session.OnHandlingError = [&](const QString &text) { held << text; };
    session.OnHandled = [&] { ++handled; };
    session.OnLoss = [&] { ++losses; };
    session.OnClosed = [&] { closed = true; };

    service->failNext(ScriptedSoundService::kOpen, kWaveNotEnabled);
    EXPECT_THROW(session.open(), EWinWave);
    EXPECT_EQ(session.note(), "No sound server: retrying");
    ASSERT_TRUE(runUntil([&] { return service->isStarted(); }, 3000)) << "opened again a second later";
    EXPECT_EQ(session.note(), "");
    EXPECT_EQ(service->queued(), 4u);

    // Each buffer whole, and back on the device, even when its handler fails.
    ASSERT_TRUE(service->deliver(std::vector<int16_t>(11024, 5)));
    QCoreApplication::processEvents();
    failNext = true;
    ASSERT_TRUE(service->deliver(std::vector<int16_t>(11024, 6)));
    QCoreApplication::processEvents();
    EXPECT_EQ(handed, (std::vector<size_t>{11024, 11024}));
    EXPECT_EQ(held, QStringList{"Disk full."});
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(service->queued(), 4u);

    service->notify(kWimLoss, 22050);
    service->notify(kWimLoss, -1); // dropped, length unknown
    QCoreApplication::processEvents();
    EXPECT_EQ(losses, 2);
    EXPECT_EQ(session.lostSamples(), 22050);
    EXPECT_EQ(session.note(),
              "Audio lost: 0.500 s, filled with silence. The sound server dropped audio 1 times.");

    // Winding down: the four buffers come back and are let go, then the device closes.
    EXPECT_FALSE(session.windDown());
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(service->deliver(std::vector<int16_t>(11024, 7)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(session.device().Opened());
    EXPECT_EQ(handed.size(), 2u) << "nothing more measured while winding down";
}

// A card 37 ppm fast whose buffers arrive as a desktop hands them on: late by a few ms, now and
// then by tens, never early, once all held up while the window was busy for 1.5 s; and the
// stream restarted halfway. The check reads the card's rate over both streams.
TEST(CaptureSession, ChecksTheLiveCardAgainstTheComputersClock)
{
    auto *service = new ScriptedSoundService;
    CaptureSession session{std::unique_ptr<SoundService>(service)};
    int64_t now = 0;
    session.arrivalClock = [&] { return now; };
    session.open();
    ASSERT_TRUE(runUntil([&] { return service->isStarted(); }, 1000));

    constexpr double kCardRate = 44100 * (1 + 37e-6);
    constexpr int kBuffer = 11024; // a buffer's samples: its bytes in whole 4-byte blocks
    const std::vector<int16_t> buffer(kBuffer, 0);
    std::mt19937 random(38);
    std::exponential_distribution<double> scheduler(1 / 0.003);
    std::uniform_real_distribution<double> chance(0, 1), busy(0.01, 0.06);
    double handedOn = 0;
    // `seconds` of a stream whose capture began at `start` on the computer's clock.
    const auto stream = [&](double start, double seconds, double stallAt) {
        for (int n = 1; n * kBuffer / kCardRate < seconds; ++n) {
            const double captured = start + n * kBuffer / kCardRate;
            double arrival = captured + 0.001 + scheduler(random);
            if (chance(random) < 0.03)
                arrival += busy(random);
            if (captured > stallAt && captured < stallAt + 1.5)
                arrival = std::max(arrival, stallAt + 1.5);
            handedOn = std::max(handedOn, arrival); // in order
            now = std::llround(handedOn * 1e9);
            ASSERT_TRUE(service->deliver(buffer));
            QCoreApplication::processEvents();
        }
    };
    stream(0.2, 300, 100);
    const auto first = session.cardClock().result();
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->seconds, 300, 1);

    session.playAgain();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(service->deliver(buffer)); // back to be let go
    ASSERT_TRUE(runUntil([&] { return service->isStarted() && service->queued() == 4; }, 1000));
    stream(handedOn + 0.35, 300, 1000);

    const auto r = session.cardClock().result();
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->ppm, 37, 0.5);
    EXPECT_LT(r->uncertaintyPpm, 0.5);
    EXPECT_NEAR(r->seconds, 600, 2) << "a segment for each stream";
}
