// The period finder hears a watch at its own rate: every standard rate from a clock's 7 200 to a
// high beat's 43 200 bph, a rate set by hand, and a rate between the standard ones, over hiss or
// over exact digital silence; never at half or twice the rate; and nothing from silence or a
// constant level.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MicrophoneScenarios.h"
#include "measurement/StandardRates.h"
#include "measurement/averaging/BandBank.h"
#include "measurement/averaging/Periodicity.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

// Seven seconds of the watch through the band bank, then the finder over the last six.
Periodicity heard(const SyntheticWatch &watch, double handBeatsPerHour = 0)
{
    BandBank bank;
    std::vector<int16_t> buffer(11025);
    for (int64_t at = 0; at < 7 * 44100; at += static_cast<int64_t>(buffer.size())) {
        watch.generate(at, buffer.data(), buffer.size());
        bank.add(buffer.data(), buffer.size());
    }
    PeriodFinder finder;
    return finder.find(bank.envelope(BandBank::kCombined), 6, handBeatsPerHour);
}

SyntheticWatchParams watchAt(double beatsPerHour, bool silentBetween, uint32_t seed)
{
    SyntheticWatchParams p = detail::heard(beatsPerHour, 3, 0.6, 250, silentBetween ? 5000 : 900);
    p.seed = seed;
    if (silentBetween) {
        MicrophoneParams &m = p.microphone;
        m.drift = m.humLevel = m.hissRms = m.clicksPerMinute = m.burstJitter = 0;
    }
    return p;
}

} // namespace

TEST(PeriodFinder, HearsEveryRateAtItsOwnRate)
{
    std::vector<double> rates(kStandardBeatsPerHour.begin(), kStandardBeatsPerHour.end());
    for (double between : {13320.0, 19080.0, 23400.0, 30600.0})
        rates.push_back(between);
    for (double bph : rates)
        for (bool silentBetween : {false, true}) {
            SCOPED_TRACE(testing::Message() << bph << (silentBetween ? " over silence" : " over hiss"));
            const SyntheticWatch watch(watchAt(bph, silentBetween, static_cast<uint32_t>(bph)));
            const Periodicity p = heard(watch);
            ASSERT_TRUE(p.heard);
            EXPECT_EQ(p.beatsPerHour, bph);
            // Tick to tick, to a thousandth: the finder's cycle is what the templates start from.
            EXPECT_NEAR(p.cycle * BandBank::kDecimation, 2 * watch.period(), 2 * watch.period() / 1000);
        }
    // A rate set by hand wins, even one no table holds.
    const SyntheticWatch own(watchAt(19440, false, 5));
    const Periodicity byHand = heard(own, 19440);
    ASSERT_TRUE(byHand.heard);
    EXPECT_EQ(byHand.beatsPerHour, 19440);
}

TEST(PeriodFinder, NothingFromSilenceOrALevel)
{
    BandBank bank;
    PeriodFinder finder;
    std::vector<int16_t> silence(44100 * 7, 0), level(44100 * 7, 12000);
    bank.add(silence.data(), silence.size());
    EXPECT_FALSE(finder.find(bank.envelope(BandBank::kCombined), 6, 0).heard);
    bank.reset();
    bank.add(level.data(), level.size());
    EXPECT_FALSE(finder.find(bank.envelope(BandBank::kCombined), 6, 0).heard);
    EXPECT_FALSE(finder.find(bank.envelope(BandBank::kCombined), 6, 21600).heard);
}
