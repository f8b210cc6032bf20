#include "capture/AudioFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "capture/FlacPipe.h"
#include "capture/LibraryChatter.h"
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

// What a file that is not a file is.
std::string kindOf(const struct stat &status)
{
    if (S_ISFIFO(status.st_mode))
        return "a named pipe";
    if (S_ISSOCK(status.st_mode))
        return "a socket";
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return "a device";
    return "not a regular file";
}

// Whether what status describes is already open in this program (standard input as /dev/stdin,
// a pipe that the shell handed over as /dev/fd/63): then it has its writer, and reading it never
// waits for one to come.
bool openHere(const struct stat &status)
{
    DIR *descriptors = ::opendir("/proc/self/fd");
    if (!descriptors)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(descriptors)) {
        struct stat held {};
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd != ::dirfd(descriptors) && ::fstat(fd, &held) == 0 &&
            held.st_dev == status.st_dev && held.st_ino == status.st_ino) {
            found = true;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}

// libsndfile's reason, with what it says wrongly of a file it was handed open put right: its MPEG
// reader calls bytes it cannot decode a file that "does not exist", and a header without a sample
// rate an "Internal error".
std::string libraryReason(std::string reason)
{
    if (reason.find("does not exist") != std::string::npos)
        reason = "no sound in a format it knows";
    else if (reason.find("SF_INFO") != std::string::npos)
        reason = "its header gives no sample rate or no channel count";
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' '))
        reason.pop_back();
    return reason;
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

AudioFile::AudioFile() = default;

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

bool AudioFile::refuse(const std::string &reason)
{
    close();
    error_ = oneLine(shown_ + " is not a recording Tamsel can read (" + reason + ")");
    return false;
}

bool AudioFile::open(const std::string &path, bool streams)
{
    close();
    error_.clear();
    const bool standardInput = streams && path == "-";
    shown_ = standardInput ? "Standard input" : path;
    // Looked at before it is opened: opening a named pipe waits for a writer, for ever.
    struct stat status {};
    if ((standardInput ? ::fstat(0, &status) : ::stat(path.c_str(), &status)) != 0)
        return fail(shown_, std::strerror(errno) + std::string("."));
    if (S_ISDIR(status.st_mode))
        return fail(shown_, "it is a folder.");
    const bool regular = S_ISREG(status.st_mode);
    if (!regular && !(streams && (standardInput || openHere(status))))
        return refuse(kindOf(status) +
                      (streams ? ", not a file: give it on standard input, as -" : ", not a file"));
    if (regular && status.st_size == 0)
        return refuse("the file is empty");
    fd_ = standardInput ? ::fcntl(0, F_DUPFD_CLOEXEC, 3)
                        : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        return fail(shown_, std::strerror(errno) + std::string("."));
    // Replaced in between by what is not a file: refused as above. A stream is read blocking.
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0 || (regular && !S_ISREG(opened.st_mode)))
        return refuse(kindOf(opened) + ", not a file");
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    stream_ = !regular;
    SF_INFO info{};
    {
        const LibraryChatterHidden quiet;
        if (stream_ && pipeHoldsFlac(fd_)) {
            flacPipe_ = std::make_unique<FlacPipe>(fd_);
            file_ = flacPipe_->open(&info);
        } else {
            file_ = sf_open_fd(fd_, SFM_READ, &info, SF_FALSE);
        }
    }
    if (!file_)
        return refuse(libraryReason(sf_strerror(nullptr)));
    if (info.channels <= 0)
        return refuse("it holds no channel");
    if (info.frames <= 0)
        return refuse("it holds no sound");
    // A tick's sound reaches 8 kHz (the input filter keeps 3 to 8 kHz): a slower recording misses
    // part of it, and gives wrong amplitudes or none.
    if (info.samplerate < kLowestRate)
        return refuse("its sample rate is " + std::to_string(info.samplerate) +
                      " Hz; the lowest Tamsel measures is " + std::to_string(kLowestRate) + " Hz");
    // libsamplerate converts within a ratio of 1:256 either way.
    const double ratio = static_cast<double>(kRate) / info.samplerate;
    if (!src_is_valid_ratio(ratio))
        return refuse("its sample rate of " + std::to_string(info.samplerate) + " Hz is not supported");

    channels_ = info.channels;
    fileRate_ = info.samplerate;
    fileFrames_ = info.frames;
    ratio_ = ratio;
    floating_ = isFloating(info.format);
    name_ = standardInput ? "stdin" : std::filesystem::path(path).filename().string();
    const char *date = sf_get_string(file_, SF_STR_DATE);
    date_ = date ? date : "";
    const char *comment = sf_get_string(file_, SF_STR_COMMENT);
    comment_ = comment ? comment : "";
    frames_.resize(kChunkFrames * static_cast<size_t>(channels_));
    if (floating_)
        floats_.resize(frames_.size());
    if (fileRate_ != kRate) {
        int err = 0;
        resampler_ = src_new(SRC_SINC_MEDIUM_QUALITY, 1, &err);
        if (!resampler_)
            return fail(shown_, src_strerror(err));
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
    if (file_) {
        const LibraryChatterHidden quiet;
        sf_close(file_);
    }
    file_ = nullptr;
    flacPipe_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    stream_ = false;
    inPos_ = inLen_ = outPos_ = outLen_ = 0;
    inputEnded_ = resampleDone_ = false;
}

bool AudioFile::rewind()
{
    if (!file_)
        return false;
    {
        const LibraryChatterHidden quiet;
        if (sf_seek(file_, 0, SEEK_SET) < 0)
            return false;
    }
    if (resampler_)
        src_reset(resampler_);
    inPos_ = inLen_ = outPos_ = outLen_ = 0;
    inputEnded_ = resampleDone_ = false;
    return true;
}

int64_t AudioFile::length() const
{
    if (!file_ || stream_)
        return -1;
    return fileRate_ == kRate ? fileFrames_ : std::llround(static_cast<double>(fileFrames_) * ratio_);
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
    const LibraryChatterHidden quiet;
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
