// The live stream's time across an outage, on fake times: the silence put in for audio lost
// and the audio around it add up to the time that passed.
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include "capture/OutageClock.h"

using namespace tamsel;

namespace {
constexpr uint32_t kRate = 44100;
constexpr uint64_t kBlockUs = 20000; // the server hands audio on in 20 ms blocks
constexpr uint64_t kBlock = kRate * kBlockUs / 1000000;
} // namespace

// Audio for two seconds, the source suspended, a last block still on its way, two seconds
// without audio while silence is counted four times a second, then audio again.
TEST(OutageClock, SilenceAndAudioAddUpToTheTimeThatPassed)
{
    OutageClock clock(kRate);
    uint64_t now = 1000000;
    for (; now <= 3000000; now += kBlockUs) {
        EXPECT_EQ(clock.arrived(now, kBlock), 0u) << "no silence owed while audio flows";
        clock.read(kBlock);
    }
    // The last block read was captured up to 3.0 s; the outage is noticed at 3.01 s, and a
    // block that was on its way comes in after it: the silence starts past that block.
    clock.begin(3010000);
    EXPECT_TRUE(clock.inOutage());
    EXPECT_EQ(clock.arrived(3020000, kBlock), 0u);
    clock.read(kBlock);

    // Each tick counts up to 0.2 s behind it, in whole frames.
    std::vector<uint64_t> ticks;
    for (now = 3250000; now <= 5000000; now += OutageClock::kTickMs * 1000)
        ticks.push_back(clock.tick(now));
    ASSERT_EQ(ticks.size(), 8u);
    EXPECT_EQ(ticks[0], kRate * 30 / 1000) << "from 3.02 s, where the last audio ended, to 3.05 s";
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_EQ(ticks[i], kRate / 4) << "tick " << i;

    // The source comes back at 5 s; its first sample was captured at 5.01 s. Its time is read
    // off the earliest arrivals over 0.1 s (the first block came 5 ms late), the audio waiting
    // unread meanwhile.
    clock.end();
    EXPECT_FALSE(clock.inOutage());
    const uint64_t firstSample = 5010000;
    uint64_t unread = 0;
    std::optional<uint64_t> rest;
    for (now = firstSample + kBlockUs; !rest; now += kBlockUs) {
        unread += kBlock;
        rest = clock.arrived(unread == kBlock ? now + 5000 : now, unread);
    }
    EXPECT_EQ(unread, 7 * kBlock) << "waited from 5.035 s to 5.135 s";
    EXPECT_EQ(*rest, kRate * 210 / 1000) << "from the last tick's 4.8 s to the first sample's 5.01 s";

    uint64_t silence = *rest;
    for (uint64_t frames : ticks)
        silence += frames;
    EXPECT_EQ(silence, (firstSample - 3020000) * kRate / 1000000);

    // The gap is closed: the audio flows on with no more silence owed.
    clock.read(unread);
    EXPECT_EQ(clock.arrived(now, kBlock), 0u);
    EXPECT_EQ(clock.tick(now + 1000000), 0u) << "a late tick after the end counts nothing";
}

// With no audio read lately (a stream that never started, or audio stopped long ago), the
// silence starts when the outage is noticed; an outage while the last one's gap is still open
// goes on counting from where that gap began.
TEST(OutageClock, AnOutageWithoutRecentAudioStartsWhenNoticed)
{
    OutageClock clock(kRate);
    clock.begin(2000000);
    EXPECT_EQ(clock.tick(2250000), kRate * 50 / 1000);

    clock.end();
    EXPECT_FALSE(clock.arrived(2300000, kBlock)) << "the returning audio is being timed";
    clock.begin(2310000); // suspended again before the gap closed
    EXPECT_EQ(clock.tick(2500000), kRate * 250 / 1000) << "counted on from 2.05 s, not restarted";
}
