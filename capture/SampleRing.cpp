#include "capture/SampleRing.h"

#include <algorithm>
#include <cstring>

namespace tamsel {

SampleRing::SampleRing(size_t capacity) : data_(std::max<size_t>(capacity, 1)) {}

size_t SampleRing::write(const int16_t *samples, size_t count)
{
    const size_t room = data_.size() - stored_;
    const size_t kept = std::min(count, room);
    for (size_t done = 0; done < kept;) {
        const size_t at = writePos_ % data_.size();
        const size_t n = std::min(kept - done, data_.size() - at);
        std::memcpy(&data_[at], samples + done, n * sizeof(int16_t));
        done += n;
        writePos_ += n;
    }
    stored_ += kept;
    totalIn_ += kept;
    const size_t lost = count - kept;
    addGap(lost);
    return lost;
}

void SampleRing::addGap(uint64_t count)
{
    if (count == 0)
        return;
    if (!gaps_.empty() && gaps_.back().position == writePos_)
        gaps_.back().length += count;
    else
        gaps_.push_back({writePos_, count});
    gapTotal_ += count;
    totalIn_ += count;
    totalLost_ += count;
}

void SampleRing::read(int16_t *out, size_t count)
{
    size_t done = 0;
    while (done < count) {
        if (!gaps_.empty() && gaps_.front().position == readPos_) {
            Gap &gap = gaps_.front();
            const size_t n = static_cast<size_t>(std::min<uint64_t>(gap.length, count - done));
            std::fill_n(out + done, n, int16_t{0});
            done += n;
            gap.length -= n;
            gapTotal_ -= n;
            if (gap.length == 0)
                gaps_.pop_front();
            continue;
        }
        uint64_t until = writePos_;
        if (!gaps_.empty())
            until = gaps_.front().position;
        const size_t at = readPos_ % data_.size();
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>({count - done, until - readPos_, data_.size() - at}));
        if (n == 0)
            break; // caller asked for more than available()
        std::memcpy(out + done, &data_[at], n * sizeof(int16_t));
        done += n;
        readPos_ += n;
        stored_ -= n;
    }
}

void SampleRing::clear()
{
    readPos_ = writePos_;
    stored_ = 0;
    gaps_.clear();
    gapTotal_ = 0;
}

} // namespace tamsel
