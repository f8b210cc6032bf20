#pragma once
// A sequence of 16-bit mono samples at 44 100 samples/s that a sound service can play:
// a recording read from disk, samples already in memory, or a generated watch.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamsel {

class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Copies up to `count` next samples to `out`; fewer only at the end of the source.
    virtual size_t read(int16_t *out, size_t count) = 0;
    // Goes back to the first sample; false when the source cannot start over.
    virtual bool rewind() = 0;
    // What the source is called (a file name), shown as the device's product name.
    virtual std::string name() const = 0;
    // How many samples of sound it holds before it ends; -1 when not known or endless.
    virtual int64_t length() const { return -1; }
};

// Samples already at hand.
class MemorySource : public SampleSource {
public:
    MemorySource(std::vector<int16_t> samples, std::string name)
        : samples_(std::move(samples)), name_(std::move(name))
    {}
    size_t read(int16_t *out, size_t count) override
    {
        const size_t n = std::min(count, samples_.size() - position_);
        std::copy_n(samples_.data() + position_, n, out);
        position_ += n;
        return n;
    }
    bool rewind() override
    {
        position_ = 0;
        return true;
    }
    std::string name() const override { return name_; }
    int64_t length() const override { return static_cast<int64_t>(samples_.size()); }

private:
    std::vector<int16_t> samples_;
    std::string name_;
    size_t position_ = 0;
};

// A source and then silence for ever, as a microphone goes on after the watch is taken
// away: a recording replayed in the window ends without the capture ever stopping.
class FollowedBySilence : public SampleSource {
public:
    explicit FollowedBySilence(std::unique_ptr<SampleSource> source) : source_(std::move(source)) {}
    size_t read(int16_t *out, size_t count) override
    {
        const size_t n = source_->read(out, count);
        std::fill(out + n, out + count, int16_t{0});
        return count;
    }
    bool rewind() override { return source_->rewind(); }
    std::string name() const override { return source_->name(); }
    // The sound before the silence.
    int64_t length() const override { return source_->length(); }

private:
    std::unique_ptr<SampleSource> source_;
};

} // namespace tamsel
