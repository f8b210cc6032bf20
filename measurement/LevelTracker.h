#pragma once
// The quiet level and the typical peak of a stream of levels, as the input conditioning's
// gain and the automatic threshold need them. The quiet level is the least mean of short
// blocks over the last second (the pauses between beats); the typical peak is the median of
// half-second maxima over the last four seconds, so that a room click or a missed beat moves
// neither, while a watch that is moved is followed within seconds.
#include <algorithm>
#include <array>

namespace tamsel {

class LevelTracker {
public:
    static constexpr int kBlock = 512; // 11.6 ms at 44 100 samples/s

    void reset() { *this = LevelTracker(); }

    // Answers true when the sample closed a block, that is when the levels may have moved.
    bool add(double level)
    {
        sum_ += level;
        if (level > max_)
            max_ = level;
        if (++count_ < kBlock)
            return false;
        closeBlock();
        return true;
    }

    // Samples still to come before add() closes a block.
    int untilBlockCloses() const { return kBlock - count_; }

    // Before the first block has closed: the mean and the largest level so far.
    double quiet() const { return means_.count ? quiet_ : (count_ ? sum_ / count_ : 0); }
    double peak() const { return maxima_.count ? peak_ : std::max(halfMax_, max_); }
    // The median of the blocks' maxima over the last second: how high the noise reaches
    // in a short stretch without a beat.
    double quietPeak() const { return quietPeak_; }

private:
    static constexpr int kBlocksPerHalfSecond = 43;

    template <int N> struct Ring {
        static constexpr int kSize = N;
        std::array<double, N> values{};
        int count = 0;
        int next = 0;
        void push(double v)
        {
            values[next] = v;
            next = (next + 1) % N;
            if (count < N)
                ++count;
        }
    };

    void closeBlock();
    template <int N> static double median(const Ring<N> &ring);

    double sum_ = 0;
    double max_ = 0;
    int count_ = 0;
    double halfMax_ = 0;
    int halfBlocks_ = 0;
    Ring<86> means_;       // one second of block means
    Ring<86> blockMaxima_; // one second of block maxima
    Ring<8> maxima_;       // four seconds of half-second maxima
    double quiet_ = 0;
    double peak_ = 0;
    double quietPeak_ = 0;
};

} // namespace tamsel
