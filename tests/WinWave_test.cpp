// The capture component and its buffers over the scripted sound service, and the ring
// that stands between the sound server and the buffers.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <memory>

#include "capture/SampleRing.h"
#include "capture/ScriptedSoundService.h"
#include "capture/WinWave.h"

using namespace tamsel;

namespace {

const char *const kNoDevice = "デバイスが特定できません。";

struct Device {
    ScriptedSoundService *service = new ScriptedSoundService;
    TWinWaveIn in{nullptr, std::unique_ptr<SoundService>(service)};
    Device()
    {
        in.SetBitsPerSample(16);
        in.SetChannels(1);
    }
};

std::string errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EWinWave &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(WinWave, FormatAndIdentity)
{
    Device d;
    EXPECT_EQ(d.in.BlockAlign(), 2);
    EXPECT_EQ(d.in.AvgBytesPerSec(), 88200u);
    EXPECT_EQ(d.in.GetID(), -1);
    EXPECT_EQ(d.in.ProductName(), "Scripted source");
    EXPECT_EQ(d.in.GetFormat(9), 0u);
    d.in.Open();
    d.in.SetSamplesPerSec(8000);
    EXPECT_EQ(d.in.SamplesPerSec(), 44100u);
    EXPECT_EQ(d.in.AvgBytesPerSec(), 88200u);
    // Another device while open changes nothing; an unknown one while closed raises.
    d.in.SetID(0);
    EXPECT_EQ(d.in.GetID(), -1);
    d.in.Close();
    EXPECT_FALSE(errorOf([&] { d.in.SetID(7); }).empty());
    EXPECT_EQ(d.in.GetID(), -1);
}

TEST(WinWave, BufferRoundsDownAndCounts)
{
    Device d;
    TWinWaveBuffer buffers[4] = {TWinWaveBuffer(22050), TWinWaveBuffer(22050), TWinWaveBuffer(22050),
                                 TWinWaveBuffer(22050)};
    EXPECT_EQ(buffers[0].Length(), 22048);
    d.in.Open();
    for (auto &b : buffers) {
        b.Prepare(&d.in);
        b.Queue();
    }
    EXPECT_EQ(d.in.PreparedCount(), 4);
    EXPECT_EQ(d.in.QueuedCount(), 4);
    EXPECT_EQ(d.in.StreamBytes(), 4 * 22048);
    EXPECT_EQ(buffers[3].StreamPosition(), 3 * 22048);

    std::vector<TWinWaveBuffer *> returned;
    d.in.OnReturnBuffer = [&](TWinWaveDevice *, TWinWaveBuffer *buf) { returned.push_back(buf); };
    std::vector<int16_t> samples(11024, 7);
    ASSERT_TRUE(d.service->deliver(samples));
    ASSERT_TRUE(d.service->deliver(nullptr, 0));
    QCoreApplication::processEvents();
    ASSERT_EQ(returned.size(), 2u);
    EXPECT_EQ(returned[0], &buffers[0]);
    EXPECT_EQ(returned[0]->BytesRecorded(), 22048u);
    EXPECT_EQ(returned[1]->BytesRecorded(), 0u);
    EXPECT_EQ(d.in.QueuedCount(), 2);

    // A buffer still with the device cannot be unprepared; returned ones can.
    EXPECT_FALSE(errorOf([&] { buffers[2].Unprepare(); }).empty());
    EXPECT_EQ(d.in.PreparedCount(), 4);
    buffers[0].Unprepare();
    buffers[1].Unprepare();
    d.service->deliver(samples);
    d.service->deliver(samples);
    QCoreApplication::processEvents();
    buffers[2].Unprepare();
    buffers[3].Unprepare();
    EXPECT_EQ(d.in.PreparedCount(), 0);
    d.in.Close();
    EXPECT_FALSE(d.in.Opened());
}

TEST(WinWave, MisuseRaisesTheFixedTextAndChangesNothing)
{
    Device d;
    TWinWaveBuffer buffer(100);
    EXPECT_EQ(errorOf([&] { buffer.Queue(); }), kNoDevice);
    EXPECT_EQ(errorOf([&] { buffer.Unprepare(); }), kNoDevice);
    EXPECT_EQ(errorOf([&] { buffer.Prepare(nullptr); }), kNoDevice);
    EXPECT_EQ(d.in.QueuedCount(), 0);
    EXPECT_EQ(d.in.StreamBytes(), 0);
    d.in.Open();
    buffer.Prepare(&d.in);
    // Preparing twice: the service's own text for result 1.
    EXPECT_EQ(errorOf([&] { buffer.Prepare(&d.in); }), "Unspecified error.");
    EXPECT_EQ(d.in.PreparedCount(), 1);
}

TEST(WinWave, FailingServiceCallRaisesItsTextAndKeepsState)
{
    Device d;
    d.service->failNext(ScriptedSoundService::kOpen, kWaveServerBase + 6); // connection refused
    EXPECT_EQ(errorOf([&] { d.in.Open(); }), "Connection refused");
    EXPECT_FALSE(d.in.Opened());
    d.in.Open();
    d.service->failNext(ScriptedSoundService::kStart, kWaveNotEnabled);
    EXPECT_EQ(errorOf([&] { d.in.Start(); }), "No sound server is running.");
    EXPECT_FALSE(d.in.Started());
}

TEST(WinWave, NotificationsBecomeEvents)
{
    Device d;
    int opened = 0, closed = 0;
    int64_t lost = 0;
    std::string failure = "none";
    d.in.OnOpen = [&](QObject *) { ++opened; };
    d.in.OnClose = [&](QObject *) { ++closed; };
    d.in.OnLoss = [&](TWinWaveDevice *, int64_t n) { lost += n; };
    d.in.OnFailure = [&](TWinWaveDevice *, const std::string &text) { failure = text; };
    d.in.Open();
    EXPECT_EQ(opened, 0) << "the open notification comes through the event loop, after Open returned";
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);
    d.service->notify(kWimLoss, 441);
    d.service->notify(kWimFailure, kWaveServerBase + 6);
    d.in.Close();
    QCoreApplication::processEvents();
    EXPECT_EQ(lost, 441);
    EXPECT_EQ(failure, "Connection refused");
    EXPECT_EQ(closed, 1);
}

// At shutdown the buffers are freed right after the close; a message box opened then runs
// an event loop, which must not hand them back.
TEST(WinWave, BuffersReturnedBeforeTheCloseAreNotHandedBackAfterIt)
{
    Device d;
    auto buffer = std::make_unique<TWinWaveBuffer>(400);
    int returned = 0, closed = 0;
    d.in.OnReturnBuffer = [&](TWinWaveDevice *, TWinWaveBuffer *) { ++returned; };
    d.in.OnClose = [&](QObject *) { ++closed; };
    d.in.Open();
    buffer->Prepare(&d.in);
    buffer->Queue();
    ASSERT_TRUE(d.service->deliver(std::vector<int16_t>(200, 3)));
    d.in.Close();
    buffer.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(returned, 0);
    EXPECT_EQ(closed, 1) << "the close itself is still told";
    EXPECT_EQ(d.in.QueuedCount(), 0);
}

TEST(SampleRing, GapsComeOutAsSilenceInPlace)
{
    SampleRing ring(4);
    const int16_t a[] = {1, 2, 3};
    ring.write(a, 3);
    ring.addGap(2);
    const int16_t b[] = {4, 5, 6};
    // Only one of these fits: the other two are lost after it.
    EXPECT_EQ(ring.write(b, 3), 2u);
    EXPECT_EQ(ring.available(), 8u);
    EXPECT_EQ(ring.totalLost(), 4u);
    int16_t out[8];
    ring.read(out, 8);
    const int16_t expected[] = {1, 2, 3, 0, 0, 4, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
    EXPECT_EQ(ring.available(), 0u);
}

TEST(SampleRing, WrapsAroundItsEnd)
{
    SampleRing ring(5);
    std::vector<int16_t> out(4);
    for (int16_t round = 0; round < 5; ++round) {
        const int16_t in[] = {round, static_cast<int16_t>(round + 1), static_cast<int16_t>(round + 2),
                              static_cast<int16_t>(round + 3)};
        EXPECT_EQ(ring.write(in, 4), 0u);
        ring.read(out.data(), 4);
        EXPECT_EQ(out, std::vector<int16_t>(in, in + 4));
    }
    EXPECT_EQ(ring.totalWritten(), 20u);
}
