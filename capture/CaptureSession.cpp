#include "capture/CaptureSession.h"

#include <QCoreApplication>
#include <QStringList>

#include "capture/PulseSoundService.h"

namespace tamsel {

namespace {

// The capture format: 16-bit mono at the card's usual rate.
constexpr uint32_t kCaptureRate = 44100;
// Opening attempts while no sound server is there. Without a server the attempt fails at
// once, so trying on the user-interface thread costs nothing noticeable.
constexpr int kOpenRetryMs = 1000;

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

QString absentNote(const QString &source)
{
    return QStringLiteral("Input \"%1\" not found: capturing from the default source.").arg(source);
}

} // namespace

MissingSource::MissingSource(const QString &source, const std::vector<CaptureSource> &sources)
    : EWinWave(QStringLiteral("No capture source \"%1\".").arg(source).toStdString(), kWaveBadDevice),
      source(source), sources(sources)
{}

CaptureSession::CaptureSession(std::unique_ptr<SoundService> service)
    : device_(std::make_unique<TWinWaveIn>(nullptr, std::move(service)))
{
    // The component's design values; open() sets the format actually used.
    device_->SetChannels(1);
    device_->SetBitsPerSample(8);
    device_->OnOpen = [this](QObject *) { deviceOpened(); };
    device_->OnReturnBuffer = [this](TWinWaveDevice *, TWinWaveBuffer *buf) { bufferReturned(buf); };
    device_->OnLoss = [this](TWinWaveDevice *, int64_t samples) { lost(samples); };
    device_->OnFailure = [this](TWinWaveDevice *, const std::string &text) { failed(text); };
    device_->OnRestore = [this](QObject *) { failed({}); };
    device_->OnSourcesChanged = [this](QObject *) { sourcesChanged(); };
    openRetry_.callOnTimeout([this] { retryOpen(); });
}

CaptureSession::~CaptureSession()
{
    release();
}

void CaptureSession::fire(const std::function<void()> &event)
{
    if (event)
        event();
}

void CaptureSession::error(const QString &text)
{
    if (OnError)
        OnError(text);
}

void CaptureSession::open()
{
    device_->SetBitsPerSample(16);
    device_->SetChannels(1);
    device_->SetSamplesPerSec(kCaptureRate);
    for (auto &buffer : buffers_)
        buffer = std::make_unique<TWinWaveBuffer>(static_cast<int32_t>(device_->AvgBytesPerSec() / 4));
    openTried_ = true;
    try {
        openChosenInput();
    } catch (const EWinWave &e) {
        // No sound server yet: raised as any failure, and then tried again in the background
        // until one appears, as the live service does after losing one.
        if (serverUnavailable(e.result())) {
            openRetry_.start(kOpenRetryMs);
            fire(OnNoteChanged);
        }
        throw;
    }
}

void CaptureSession::retryOpen()
{
    if (!closing_ && !device_->Opened()) {
        try {
            openChosenInput(); // its open notification starts the capture
        } catch (const EWinWave &e) {
            if (serverUnavailable(e.result()))
                return;
            openRetry_.stop();
            fire(OnNoteChanged);
            throw; // a server is there, but it cannot give what is asked for
        }
    }
    openRetry_.stop();
    fire(OnNoteChanged);
}

void CaptureSession::deviceOpened()
{
    checkCardAnew();
    for (auto &buffer : buffers_) {
        buffer->Prepare(device_.get());
        buffer->Queue();
    }
    device_->Start();
}

void CaptureSession::bufferReturned(TWinWaveBuffer *buf)
{
    // A buffer is handled whole, and the next one after it has returned: no box opens inside
    // the handling, so errors wait until it has returned.
    const int64_t arrival = arrivalClock();
    handling_ = true;
    try {
        handle(buf, arrival);
    } catch (const std::exception &e) {
        if (OnHandlingError)
            OnHandlingError(QString::fromUtf8(e.what()));
    } catch (...) {
        if (OnHandlingError)
            OnHandlingError(QStringLiteral("Unknown error."));
    }
    handling_ = false;
    fire(OnHandled);
}

void CaptureSession::handle(TWinWaveBuffer *buf, int64_t arrival)
{
    // Closing, or switching to another source: the buffers come back to be unprepared.
    if (closing_ || input_.switching) {
        buf->Unprepare();
        if (device_->PreparedCount() <= 0) {
            if (!closing_) {
                reopenInput();
                return;
            }
            device_->Stop();
            device_->Close();
            fire(OnClosed);
        }
        return;
    }
    // A buffer whose handling ends in an error still goes back to the device, so that all
    // four keep circulating.
    struct Requeue {
        TWinWaveBuffer *buf;
        bool armed = true;
        ~Requeue()
        {
            if (armed && buf->Device())
                try {
                    buf->Queue();
                } catch (...) {
                }
        }
    } requeue{buf};

    const int samples = static_cast<int>(buf->BytesRecorded() / 2);
    if (!device_->service()->recording())
        timeArrival(arrival, *buf);
    if (OnBuffer)
        OnBuffer(*buf);
    requeue.armed = false;
    buf->Queue();
    if (OnBufferQueued)
        OnBufferQueued(samples);
}

bool CaptureSession::windDown()
{
    closing_ = true;
    return !device_->Opened();
}

void CaptureSession::release()
{
    // The service must let go of the buffers before they are freed: a device still open here
    // (its owner gone without winding down) is closed first.
    if (device_->Opened()) {
        try {
            device_->Close();
        } catch (const EWinWave &) {
        }
    }
    // A notification still on its way (the open's, a buffer's) would find no buffers: a box
    // shown after this (the settings' save failing) runs an event loop that would deliver it.
    QCoreApplication::removePostedEvents(device_.get());
    for (auto &buffer : buffers_)
        buffer.reset();
}

// A buffer is timed by the samples the source had delivered, not by its own end: a source
// delivers in fragments of its own, and a buffer's end drifts across them (11 024 samples
// against 20 ms fragments: 2 samples a half second, as if the card ran 91 ppm slow, for minutes
// on end). The live service times its reads on its own thread and hands on the earliest since
// the buffer before, so the window's event loop adds nothing; a buffer it did not time arrives
// now. The count is the time axis's: silence of a known length stands in for lost audio. Yet
// the silence of an outage is counted on the computer's clock, and audio dropped without a
// length breaks the count, so a loss starts a new segment, and the buffers that may still end
// in its silence (up to its length and a buffer more) are not timed.
void CaptureSession::timeArrival(int64_t now, const TWinWaveBuffer &buf)
{
    if (serverLost_)
        return;
    if (untimed_ > 0) {
        untimed_ -= buf.BytesRecorded() / 2;
        return;
    }
    cardClock_.arrived(buf.ArrivalNs() ? buf.ArrivalNs() : now, static_cast<int64_t>(buf.StreamSamples()));
}

// The stream starts anew, its samples not following on in time from those before; another
// source or rate is another card.
void CaptureSession::checkCardAnew()
{
    const bool live = !device_->service()->recording();
    const uint32_t rate = device_->SamplesPerSec();
    if (live != checkedLive_ || input_.opened != checkedSource_ || rate != checkedRate_)
        cardClock_.reset(rate);
    checkedLive_ = live;
    checkedSource_ = input_.opened;
    checkedRate_ = rate;
    cardClock_.newSegment();
    untimed_ = 0;
    serverLost_ = false;
}

void CaptureSession::breakSegment(int64_t silence)
{
    cardClock_.newSegment();
    const int64_t buffer = buffers_.front() ? buffers_.front()->Length() / 2 : 0;
    untimed_ = std::max(untimed_, buffer) + std::max<int64_t>(silence, 0);
}

void CaptureSession::lost(int64_t samples)
{
    breakSegment(samples);
    if (samples > 0)
        lostSamples_ += samples;
    else
        ++unmeasuredLosses_;
    fire(OnLoss);
    fire(OnNoteChanged);
}

void CaptureSession::failed(const std::string &text)
{
    // No audio comes until the server is back: what comes meanwhile is silence on the
    // computer's clock.
    serverLost_ = !text.empty();
    if (!serverLost_)
        breakSegment(0);
    failure_ = QString::fromUtf8(text);
    fire(OnNoteChanged);
}

QString CaptureSession::note() const
{
    QStringList parts;
    if (!input_.note.isEmpty())
        parts << input_.note;
    if (openRetry_.isActive())
        parts << QStringLiteral("No sound server: retrying");
    if (!failure_.isEmpty())
        parts << QStringLiteral("Sound server lost: %1. Reconnecting.").arg(failure_);
    if (lostSamples_ > 0)
        parts << QStringLiteral("Audio lost: %1 s, filled with silence.")
                     .arg(static_cast<double>(lostSamples_) / kCaptureRate, 0, 'f', 3);
    if (unmeasuredLosses_ > 0)
        parts << QStringLiteral("The sound server dropped audio %1 times.").arg(unmeasuredLosses_);
    return parts.join(QLatin1Char(' '));
}

bool CaptureSession::listed(const QString &source) const
{
    for (const CaptureSource &s : device_->service()->sources())
        if (namesSource(s, source))
            return true;
    return false;
}

void CaptureSession::choose(const QString &source)
{
    if (closing_)
        return;
    if (source == input_.wanted && source == input_.opened && device_->Opened())
        return; // already in use
    input_.remember();
    input_.wanted = input_.stored = source;
    switchInput(source);
}

void CaptureSession::openDefault()
{
    input_.device.clear();
    input_.wanted.clear();
    input_.note.clear();
    openInput(QString(), nullptr);
    fire(OnSourcesChanged);
    fire(OnSourceInUse);
}

void CaptureSession::sourcesChanged()
{
    fire(OnSourcesChanged);
    if (!closing_ && !input_.switching && device_->Opened()) {
        if (!input_.opened.isEmpty() && !listed(input_.opened)) {
            // The source in use is gone: the default source takes over until it is back.
            input_.note = absentNote(input_.openedText);
            input_.remember();
            switchInput(QString());
        } else if (input_.opened != input_.wanted && listed(input_.wanted)) {
            input_.remember();
            switchInput(input_.wanted); // it is back
        }
    }
    fire(OnSourceInUse);
}

// At start: --device for this run, else the stored choice; a stored source that is absent
// leaves the default source in use and the choice kept.
void CaptureSession::openChosenInput()
{
    input_.wanted = input_.device.isEmpty() ? input_.stored : input_.device;
    fire(OnSourcesChanged);
    QString failure;
    if (!input_.device.isEmpty()) {
        try {
            openInput(input_.device, nullptr); // a failure is the start-up error, as always
        } catch (const EWinWave &e) {
            if (e.result() == kWaveBadDevice)
                throw MissingSource(input_.device, device_->service()->sources());
            throw;
        }
    } else if (input_.wanted.isEmpty()) {
        openInput(input_.wanted, nullptr);
    } else if (!openInput(input_.wanted, &failure)) {
        if (listed(input_.wanted))
            error(failure); // there, but it refuses: its reason
        else
            input_.note = absentNote(input_.wanted);
        openInput(QString(), nullptr);
    }
    fire(OnSourceInUse);
}

// Without `error` a failure is raised on.
bool CaptureSession::openInput(const QString &source, QString *error)
{
    device_->service()->selectSource(source.toStdString());
    try {
        device_->Open();
    } catch (const EWinWave &e) {
        if (!error)
            throw;
        *error = QString::fromUtf8(e.what());
        return false;
    }
    input_.opened = input_.openedText = source;
    for (const CaptureSource &s : device_->service()->sources())
        if (namesSource(s, source) && !s.description.empty())
            input_.openedText = text(s.description);
    return true;
}

void CaptureSession::playRecording(std::unique_ptr<SoundService> service, const QString &name)
{
    input_.next = std::move(service);
    input_.nextRecording = name;
    switchInput(input_.wanted);
}

void CaptureSession::playLive()
{
    if (input_.recording.isEmpty() && !input_.next && device_->Opened())
        return; // live already
    if (!input_.recording.isEmpty())
        input_.next = input_.aside ? std::move(input_.aside) : makeLiveSoundService();
    else
        input_.next.reset(); // a recording asked for and not yet in place
    input_.nextRecording.clear();
    switchInput(input_.wanted);
}

// The device is closed and opened on `source` once its buffers are back from it.
void CaptureSession::switchInput(const QString &source)
{
    input_.target = source;
    input_.switching = device_->PreparedCount() > 0;
    if (!input_.switching)
        reopenInput();
}

void CaptureSession::reopenInput()
{
    input_.switching = false;
    const QString previous = input_.opened;
    if (device_->Opened()) {
        try {
            device_->Stop();
            device_->Close();
        } catch (const EWinWave &e) {
            error(QString::fromUtf8(e.what()));
            return;
        }
    }
    // What the old stream still had on its way is of no use now.
    QCoreApplication::removePostedEvents(device_.get());
    if (input_.next) {
        std::unique_ptr<SoundService> previous = device_->swapService(std::move(input_.next));
        if (input_.recording.isEmpty())
            input_.aside = std::move(previous); // the live service waits; a recording is done with
        input_.recording = input_.nextRecording;
    }
    failure_.clear();
    QString failure;
    if (!openInput(input_.target, &failure)) {
        // The server's reason, and back to the source it had.
        input_.restore();
        error(failure);
        if (!openInput(previous, &failure))
            error(failure);
    }
    if (input_.opened == input_.wanted)
        input_.note.clear();
    fire(OnSourcesChanged);
    fire(OnNewSource); // from the new source's first sample
    fire(OnSourceInUse);
}

QString CaptureSession::sourceShown() const
{
    if (!input_.recording.isEmpty())
        return input_.recording;
    const QString name = device_->Opened() ? text(device_->service()->sourceInUse()) : QString();
    for (const CaptureSource &s : device_->service()->sources())
        if (!name.isEmpty() && text(s.name) == name && !s.description.empty())
            return text(s.description);
    return name;
}

} // namespace tamsel
