// The capture session on its own, with no window in the process: a sound server missing at
// start and appearing later, audio lost on the way, a handler that fails, and the winding down.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

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
