#pragma once
// A recording read from disk as 16-bit mono samples at 44 100 samples/s, in any format
// libsndfile reads. Streamed: only a few thousand frames are held at a time, so a
// recording of hours costs no more memory than one of seconds.
#include <memory>
#include <string>
#include <vector>

#include "capture/SampleSource.h"

typedef struct sf_private_tag SNDFILE;
typedef struct SRC_STATE_tag SRC_STATE;

namespace tamsel {

class FlacPipe;

class AudioFile : public SampleSource {
public:
    static constexpr int kRate = 44100;
    // The slowest recording that can be measured: a tick's sound reaches 8 kHz.
    static constexpr int kLowestRate = 16000;

    AudioFile();
    ~AudioFile() override;
    AudioFile(const AudioFile &) = delete;
    AudioFile &operator=(const AudioFile &) = delete;

    // Opens the recording; false with a one-line text in error() when it cannot be read. Only a
    // regular file is opened; with `streams`, also "-" (standard input) and a pipe or device this
    // program already has open (/dev/stdin, /dev/fd/N), read as it comes. A named pipe is refused
    // without being opened, for opening it waits for a writer. What libsndfile's decoders print
    // meanwhile is kept off standard error.
    bool open(const std::string &path, bool streams = false);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string &error() const { return error_; }
    // The descriptor read from while open, else -1; a stream's (a pipe's) reads may wait.
    int descriptor() const { return fd_; }
    bool isStream() const { return stream_; }

    size_t read(int16_t *out, size_t count) override;
    bool rewind() override;
    std::string name() const override { return name_; }
    // At 44 100 samples/s; -1 for a stream, whose length is not known before its end.
    int64_t length() const override;

    // The file's own format.
    int fileRate() const { return fileRate_; }
    int fileChannels() const { return channels_; }
    int64_t fileFrames() const { return fileFrames_; }
    // The file's date string, as its metadata holds it; empty when it has none.
    const std::string &date() const { return date_; }
    // Its comment (where Tamsel notes the card's clock); empty when it has none.
    const std::string &comment() const { return comment_; }

    // The whole recording at once; false with the error text when it cannot be read.
    static bool readAll(const std::string &path, std::vector<int16_t> &samples, std::string &error);

private:
    int64_t readFrames(int16_t *frames, size_t count);
    size_t readMono(int16_t *out, size_t count);
    size_t readResampled(int16_t *out, size_t count);
    bool fail(const std::string &path, const std::string &reason);
    // "FILE is not a recording Tamsel can read (reason)".
    bool refuse(const std::string &reason);

    SNDFILE *file_ = nullptr;
    int fd_ = -1;
    std::unique_ptr<FlacPipe> flacPipe_; // a FLAC stream on a pipe, read through it
    bool stream_ = false;
    std::string shown_; // the recording as messages name it
    SRC_STATE *resampler_ = nullptr;
    std::string name_;
    std::string error_;
    std::string date_;
    std::string comment_;
    int fileRate_ = 0;
    int channels_ = 0;
    int64_t fileFrames_ = 0;
    double ratio_ = 1;
    bool floating_ = false;

    std::vector<int16_t> frames_; // interleaved frames as read
    std::vector<float> floats_;   // the same, as a float or double file holds them
    std::vector<int16_t> mono_;   // their mix, before resampling
    std::vector<float> in_;       // resampler input not yet consumed
    size_t inPos_ = 0, inLen_ = 0;
    std::vector<float> out_; // resampler output not yet handed out
    size_t outPos_ = 0, outLen_ = 0;
    bool inputEnded_ = false;
    bool resampleDone_ = false;
};

} // namespace tamsel
