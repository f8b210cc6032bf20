#include "capture/AudioFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <samplerate.h>
#include <sndfile.h>

#include "measurement/Numbers.h"

namespace tamsel {

namespace {

constexpr size_t kChunkFrames = 4096;

// libsndfile's texts may hold line breaks; the error is one line.
std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Several channels become one: the average of the frame's samples, rounded half away
// from zero and clipped to 16 bits (the clip only guards; an average stays in range).
void mixDown(const int16_t *frames, size_t count, int channels, int16_t *out)
{
    for (size_t f = 0; f < count; ++f) {
        int64_t sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += frames[f * channels + c];
        const int64_t mean = RoundHalfAway(static_cast<long double>(sum) / channels);
        out[f] = static_cast<int16_t>(std::clamp<int64_t>(mean, -32768, 32767));
    }
}

// Float and double recordings hold samples in -1..1. libsndfile's own conversion to 16 bits
// either leaves them unscaled (all silence) or scales them to the file's own peak, which
// would make the same recording louder or quieter by its sample format; so 1.0 is 32768
// here, as it is for the integer formats, and the rest is clipped.
bool isFloating(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

} // namespace

AudioFile::~AudioFile()
{
    close();
}

bool AudioFile::fail(const std::string &path, const std::string &reason)
{
    close();
    error_ = oneLine("Cannot read the recording " + path + ": " + reason);
    return false;
}

bool AudioFile::open(const std::string &path)
{
    close();
    error_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return fail(path, "no such file.");
    if (std::filesystem::is_directory(path, ec))
        return fail(path, "it is a folder.");
    if (std::filesystem::file_size(path, ec) == 0 && !ec)
        return fail(path, "the file is empty.");
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (!file_)
        return fail(path, sf_strerror(nullptr));
    if (info.channels <= 0)
        return fail(path, "it holds no channel.");
    if (info.frames <= 0)
        return fail(path, "it holds no sound.");
    // libsamplerate converts within a ratio of 1:256 either way.
    const double ratio = info.samplerate > 0 ? static_cast<double>(kRate) / info.samplerate : 0;
    if (!src_is_valid_ratio(ratio))
        return fail(path, "its sample rate of " + std::to_string(info.samplerate) + " Hz is not supported.");

    channels_ = info.channels;
    fileRate_ = info.samplerate;
    fileFrames_ = info.frames;
    ratio_ = ratio;
    floating_ = isFloating(info.format);
    name_ = std::filesystem::path(path).filename().string();
    const char *date = sf_get_string(file_, SF_STR_DATE);
    date_ = date ? date : "";
    frames_.resize(kChunkFrames * static_cast<size_t>(channels_));
    if (floating_)
        floats_.resize(frames_.size());
    if (fileRate_ != kRate) {
        int err = 0;
        resampler_ = src_new(SRC_SINC_MEDIUM_QUALITY, 1, &err);
        if (!resampler_)
            return fail(path, src_strerror(err));
        mono_.resize(kChunkFrames);
        in_.resize(kChunkFrames);
        // Room for one whole chunk's output at the largest ratio, plus the filter's tail.
        out_.resize(static_cast<size_t>(kChunkFrames * ratio_) + 64);
    }
    return true;
}

void AudioFile::close()
{
    if (resampler_)
        resampler_ = src_delete(resampler_);
    if (file_)
        sf_close(file_);
    file_ = nullptr;
    inPos_ = inLen_ = outPos_ = outLen_ = 0;
    inputEnded_ = resampleDone_ = false;
}

bool AudioFile::rewind()
{
    if (!file_ || sf_seek(file_, 0, SEEK_SET) < 0)
        return false;
    if (resampler_)
        src_reset(resampler_);
    inPos_ = inLen_ = outPos_ = outLen_ = 0;
    inputEnded_ = resampleDone_ = false;
    return true;
}

size_t AudioFile::read(int16_t *out, size_t count)
{
    if (!file_)
        return 0;
    return resampler_ ? readResampled(out, count) : readMono(out, count);
}

// Up to kChunkFrames interleaved frames as 16-bit samples.
int64_t AudioFile::readFrames(int16_t *frames, size_t count)
{
    if (!floating_)
        return sf_readf_short(file_, frames, static_cast<sf_count_t>(count));
    const int64_t got = sf_readf_float(file_, floats_.data(), static_cast<sf_count_t>(count));
    for (size_t i = 0; i < static_cast<size_t>(std::max<int64_t>(got, 0)) * channels_; ++i) {
        const double v = std::nearbyint(floats_[i] * 32768.0);
        frames[i] = std::isnan(v) ? 0 : static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return got;
}

// At the file's rate: libsndfile converts the integer sample types to 16 bits.
size_t AudioFile::readMono(int16_t *out, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const size_t want = std::min(count - done, kChunkFrames);
        sf_count_t got = 0;
        if (channels_ == 1) {
            got = readFrames(out + done, want);
        } else {
            got = readFrames(frames_.data(), want);
            if (got > 0)
                mixDown(frames_.data(), static_cast<size_t>(got), channels_, out + done);
        }
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < want)
            break;
    }
    return done;
}

size_t AudioFile::readResampled(int16_t *out, size_t count)
{
    size_t done = 0;
    while (done < count) {
        if (outPos_ < outLen_) {
            const size_t n = std::min(count - done, outLen_ - outPos_);
            src_float_to_short_array(out_.data() + outPos_, out + done, static_cast<int>(n));
            outPos_ += n;
            done += n;
            continue;
        }
        if (resampleDone_)
            break;
        if (inPos_ >= inLen_ && !inputEnded_) {
            const size_t got = readMono(mono_.data(), kChunkFrames);
            src_short_to_float_array(mono_.data(), in_.data(), static_cast<int>(got));
            inPos_ = 0;
            inLen_ = got;
            inputEnded_ = got < kChunkFrames;
        }
        SRC_DATA data{};
        data.data_in = in_.data() + inPos_;
        data.input_frames = static_cast<long>(inLen_ - inPos_);
        data.data_out = out_.data();
        data.output_frames = static_cast<long>(out_.size());
        data.end_of_input = inputEnded_ ? 1 : 0;
        data.src_ratio = ratio_;
        if (src_process(resampler_, &data) != 0) {
            resampleDone_ = true;
            break;
        }
        const bool stuck = data.input_frames_used == 0 && data.output_frames_gen == 0 && !inputEnded_;
        inPos_ += static_cast<size_t>(data.input_frames_used);
        outPos_ = 0;
        outLen_ = static_cast<size_t>(data.output_frames_gen);
        // At the end of the input the resampler drains its filter until it gives nothing.
        if ((inputEnded_ && inPos_ >= inLen_ && outLen_ == 0) || (stuck && inPos_ < inLen_))
            resampleDone_ = true;
    }
    return done;
}

bool AudioFile::readAll(const std::string &path, std::vector<int16_t> &samples, std::string &error)
{
    AudioFile file;
    samples.clear();
    if (!file.open(path)) {
        error = file.error();
        return false;
    }
    std::vector<int16_t> chunk(kChunkFrames * 4);
    while (const size_t n = file.read(chunk.data(), chunk.size()))
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(n));
    error.clear();
    return true;
}

} // namespace tamsel
