// Option / Input: choosing the capture source. Over the scripted service always; against a
// real sound server with several sources only inside tests/e2e/input_menu.sh.
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>

#include "RunUntil.h"
#include "WindowDrive.h"
#include "app/MissingSourceBox.h"
#include "capture/PulseSoundService.h"

using namespace tamsel;
using tamsel::test::runUntil;
using test::kBufferSamples;

namespace {

// The captions of the Input submenu, separators as "-".
QStringList inputItems(const TForm1 &form)
{
    QStringList items;
    for (const QAction *a : form.Input1->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return items;
}

QAction *inputItem(const TForm1 &form, const QString &caption)
{
    for (QAction *a : form.Input1->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

const std::vector<CaptureSource> kSources = {
    {"alsa_input.pci-0000_00_1f.3.analog-stereo", "Built-in Audio Analog Stereo", false},
    {"alsa_input.usb-Watch_Mic-00.mono-fallback", "USB Audio Device", false},
    {"alsa_output.pci-0000_00_1f.3.analog-stereo.monitor", "Monitor of Built-in Audio", true},
};

} // namespace

TEST(InputMenu, ChoosingASourceMovesTheCaptureAndAFailedChoiceKeepsThePrevious)
{
    Window w;
    w.service->setSources(kSources);
    QCoreApplication::processEvents();
    EXPECT_EQ(inputItems(*w.form), QStringList({"Default", "Built-in Audio Analog Stereo", "USB Audio Device",
                                                "-", "Show monitors"}));
    EXPECT_TRUE(w.form->InputDefault1->isChecked());
    EXPECT_EQ(w.form->windowTitle(), "Built-in Audio Analog Stereo — Tamsel");
    w.form->ShowMonitors1->trigger();
    EXPECT_TRUE(inputItems(*w.form).contains("Monitor of Built-in Audio"));

    w.deliver(std::vector<int16_t>(kBufferSamples, 100));
    inputItem(*w.form, "USB Audio Device")->trigger();
    test::cycleBuffers(w);
    EXPECT_EQ(w.service->selected(), kSources[1].name);
    EXPECT_EQ(w.service->sourceInUse(), kSources[1].name);
    EXPECT_TRUE(w.service->isStarted());
    EXPECT_EQ(w.form->windowTitle(), "USB Audio Device — Tamsel");
    EXPECT_TRUE(inputItem(*w.form, "USB Audio Device")->isChecked());
    EXPECT_EQ(w.state().writeIndex, 0) << "a new measurement";
    w.deliver(std::vector<int16_t>(kBufferSamples, -300));
    EXPECT_EQ(w.state().sampleHistory[0], 300);
    EXPECT_EQ(w.state().writeIndex, kBufferSamples);

    // A source that refuses the format: the reason, and the capture stays where it was.
    w.service->failNext(ScriptedSoundService::kOpen, kWaveBadFormat);
    inputItem(*w.form, "Built-in Audio Analog Stereo")->trigger();
    test::cycleBuffers(w);
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(w.errors[0], "The capture source cannot deliver the format asked for.");
    EXPECT_EQ(w.service->sourceInUse(), kSources[1].name);
    EXPECT_TRUE(w.service->isStarted());
    EXPECT_TRUE(inputItem(*w.form, "USB Audio Device")->isChecked());
    EXPECT_EQ(w.form->windowTitle(), "USB Audio Device — Tamsel");

    // Kept by name in a section of its own; the language rule still reads the caption.
    w.form.reset();
    EXPECT_TRUE(w.ini().endsWith(
        "vkata=0\r\n\r\n[Tamsel]\r\nInput=alsa_input.usb-Watch_Mic-00.mono-fallback\r\n\r\n"));
    w.service = new ScriptedSoundService;
    w.service->setSources(kSources);
    w.build(QStringLiteral("タムセル"));
    EXPECT_EQ(w.service->selected(), kSources[1].name);
    EXPECT_EQ(w.form->windowTitle(), "USB Audio Device — タムセル");
    EXPECT_TRUE(w.form->japanese());
    EXPECT_EQ(w.form->StatusBar1->panelText(0), "60秒 1倍表示");
    EXPECT_EQ(w.errors.size(), 1u);
}

TEST(InputMenu, AbsentOddOrEmptyStoredSourcesStartOnTheDefault)
{
    // A server without any capture source, and a stored name no source has.
    const QByteArray odd = "[Tamsel]\r\nInput= we=ird;[name] \xc3\xbc\r\n";
    Window w(odd);
    EXPECT_EQ(inputItems(*w.form), QStringList({"Default", "-", "Show monitors"}));
    EXPECT_TRUE(w.service->isStarted());
    EXPECT_TRUE(w.service->selected().empty());
    EXPECT_TRUE(w.form->StatusBar1->captureNote().contains("not found: capturing from the default source"))
        << w.form->StatusBar1->captureNote().toStdString();
    EXPECT_TRUE(w.errors.empty());
    w.form.reset();
    EXPECT_TRUE(w.ini().contains(odd + "\r\n")) << "the choice is kept for when the source is back";

    Window empty("[Tamsel]\r\nInput=\r\n");
    EXPECT_TRUE(empty.form->InputDefault1->isChecked());
    EXPECT_TRUE(empty.service->isStarted());
    EXPECT_TRUE(empty.form->StatusBar1->captureNote().isEmpty());
}

TEST(InputMenu, DeviceOptionTakesItsSourceForOneRunOnly)
{
    const QByteArray stored = QByteArray("[Tamsel]\r\nInput=") + kSources[0].name.c_str() + "\r\n";
    Window w(stored);
    w.form.reset();
    w.service = new ScriptedSoundService;
    w.service->setSources(kSources);
    TForm1Design design;
    design.settingsFile = w.iniPath();
    design.device = QStringLiteral("USB Audio Device"); // by description
    w.form = std::make_unique<TForm1>(std::unique_ptr<SoundService>(w.service), design);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.service->sourceInUse(), kSources[1].name);
    EXPECT_TRUE(inputItem(*w.form, "USB Audio Device")->isChecked());
    EXPECT_EQ(w.form->windowTitle(), "USB Audio Device — Tamsel");
    w.form.reset();
    EXPECT_TRUE(w.ini().contains(stored)) << "the stored choice stays";
    EXPECT_TRUE(w.errors.empty());

    // A mistyped source is named, and the default source is offered for the run.
    w.service = new ScriptedSoundService;
    w.service->setSources(kSources);
    design.device = QStringLiteral("bogus");
    w.form = std::make_unique<TForm1>(std::unique_ptr<SoundService>(w.service), design);
    w.form->show();
    QCoreApplication::processEvents();
    auto *box = w.form->findChild<MissingSourceBox *>();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "No capture source \"bogus\".");
    EXPECT_TRUE(box->informativeText().contains("USB Audio Device")) << box->informativeText().toStdString();
    EXPECT_FALSE(w.service->isStarted());
    box->useDefaultButton()->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.service->isStarted());
    EXPECT_TRUE(w.service->selected().empty()) << "the server's default";
    EXPECT_TRUE(w.form->InputDefault1->isChecked());
    w.deliver(std::vector<int16_t>(kBufferSamples, 100));
    EXPECT_GT(w.state().writeIndex, 0) << "it measures";
    w.form.reset();
    EXPECT_TRUE(w.ini().contains(stored)) << "the stored choice stays";
    EXPECT_TRUE(w.errors.empty());
}

// ---- against a real sound server ----

namespace {

bool liveServer()
{
    return std::getenv("TAMSEL_INPUT_E2E") != nullptr;
}

QString pactl(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A null sink and a mono source recording it, as a microphone would be; unloaded on scope exit.
struct Microphone {
    QString name, description, sinkModule, sourceModule;
    Microphone(const QString &name, const QString &description) : name(name), description(description)
    {
        sinkModule = pactl({"load-module", "module-null-sink", "sink_name=" + name + "sink", "rate=44100",
                            "channels=1", "format=s16le", "norewinds=1"});
        plug();
    }
    void plug()
    {
        sourceModule =
            pactl({"load-module", "module-remap-source", "master=" + name + "sink.monitor",
                   "source_name=" + name, "channels=1", "master_channel_map=mono", "channel_map=mono",
                   "source_properties=\"device.description='" + description + "'\""});
    }
    void unplug()
    {
        if (!sourceModule.isEmpty())
            pactl({"unload-module", sourceModule});
        sourceModule.clear();
    }
    ~Microphone()
    {
        unplug();
        pactl({"unload-module", sinkModule});
    }
};

// Noise that is never 0, so that the history shows where it starts.
std::vector<int16_t> noise(size_t count, uint32_t seed)
{
    std::vector<int16_t> samples(count);
    for (int16_t &s : samples) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const int v = static_cast<int>(seed % 40001) - 20000;
        s = static_cast<int16_t>(v == 0 ? 1 : v);
    }
    return samples;
}

void writeWav(const QString &path, const std::vector<int16_t> &samples)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

struct LiveWindow {
    std::vector<QString> errors;
    std::unique_ptr<TForm1> form;
    explicit LiveWindow(const QString &ini)
    {
        SetExceptionSink([this](const QString &text) { errors.push_back(text); });
        TForm1Design design;
        design.settingsFile = ini;
        form = std::make_unique<TForm1>(nullptr, design);
        form->show();
        runUntil([this] { return form->WinWaveIn1->Started(); }, 5000);
    }
    ~LiveWindow()
    {
        form->close();
        runUntil([this] { return !form->WinWaveIn1->Opened(); }, 5000);
        form.reset();
        SetExceptionSink(nullptr);
    }
    QString note() const { return form->StatusBar1->captureNote(); }
};

QByteArray fileText(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(InputMenuLive, ChoiceMovesTheCaptureBitExactAndSurvivesARestart)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the sound server of tests/e2e/input_menu.sh";
    QTemporaryDir dir;
    const QString ini = dir.filePath("Quorlen.ini");
    Microphone usb("usbmic", "USB Audio Device");
    Microphone cam("cammic", "Webcam Microphone");
    std::vector<int16_t> signal(44100, 0); // a second of silence first
    const std::vector<int16_t> usbNoise = noise(8 * 44100, 99);
    signal.insert(signal.end(), usbNoise.begin(), usbNoise.end());
    writeWav(dir.filePath("usb.wav"), signal);
    writeWav(dir.filePath("other.wav"), noise(10 * 44100, 5));
    {
        LiveWindow w(ini);
        ASSERT_TRUE(w.form->WinWaveIn1->Started());
        const QStringList items = inputItems(*w.form);
        EXPECT_TRUE(items.contains("USB Audio Device") && items.contains("Webcam Microphone") &&
                    items.contains("Remapped Monitor of Null Output"))
            << items.join('|').toStdString();
        EXPECT_FALSE(items.contains("Monitor of Null Output")) << "monitors are hidden";
        EXPECT_EQ(w.form->windowTitle(), "Remapped Monitor of Null Output — Tamsel");

        inputItem(*w.form, "USB Audio Device")->trigger();
        ASSERT_TRUE(runUntil([&] { return w.form->windowTitle() == "USB Audio Device — Tamsel"; }, 5000));
        ASSERT_TRUE(runUntil([&] { return w.form->WinWaveIn1->Started(); }, 5000));
        // The default source hears other noise meanwhile: only the chosen one may reach the history.
        QProcess player, other;
        other.start("paplay", {dir.filePath("other.wav")});
        player.start("paplay", {"--device=usbmicsink", dir.filePath("usb.wav")});
        ASSERT_TRUE(player.waitForStarted());
        runUntil([&] { return player.state() == QProcess::NotRunning; }, 30000);
        runUntil([] { return false; }, 1500);
        other.waitForFinished();

        int32_t start = 0;
        while (start < w.form->state.writeIndex && w.form->state.sampleHistory[start] == 0)
            ++start;
        ASSERT_GE(w.form->state.writeIndex - start, static_cast<int32_t>(7 * 44100));
        size_t mismatches = 0;
        for (size_t k = 0; k < usbNoise.size() && start + static_cast<int32_t>(k) < w.form->state.writeIndex;
             ++k)
            mismatches += w.form->state.sampleHistory[start + static_cast<int32_t>(k)] !=
                          static_cast<uint16_t>(std::abs(usbNoise[k]));
        EXPECT_EQ(mismatches, 0u);
        EXPECT_TRUE(w.errors.empty());
    }
    EXPECT_TRUE(fileText(ini).contains("[Tamsel]\r\nInput=usbmic\r\n"));
    LiveWindow again(ini);
    EXPECT_EQ(again.form->windowTitle(), "USB Audio Device — Tamsel");
    EXPECT_TRUE(inputItem(*again.form, "USB Audio Device")->isChecked());
}

TEST(InputMenuLive, TheMenuFollowsTheServerAndAGoneSourceFallsBackToTheDefault)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the sound server of tests/e2e/input_menu.sh";
    QTemporaryDir dir;
    const QString ini = dir.filePath("Quorlen.ini");
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Tamsel]\r\nInput=usbmic\r\n");
    file.close();
    {
        Microphone usb("usbmic", "USB Audio Device");
        LiveWindow w(ini);
        EXPECT_EQ(w.form->windowTitle(), "USB Audio Device — Tamsel");
        {
            Microphone plugged("extramic", "Extra Microphone");
            EXPECT_TRUE(runUntil([&] { return inputItem(*w.form, "Extra Microphone") != nullptr; }, 5000));
        }
        EXPECT_TRUE(runUntil([&] { return inputItem(*w.form, "Extra Microphone") == nullptr; }, 5000));

        usb.unplug();
        EXPECT_TRUE(runUntil(
            [&] { return w.form->windowTitle() == "Remapped Monitor of Null Output — Tamsel"; }, 10000))
            << w.form->windowTitle().toStdString();
        EXPECT_TRUE(runUntil([&] { return w.form->WinWaveIn1->Started(); }, 5000));
        // The note and the menu follow the server's own events, which may come after the title.
        EXPECT_TRUE(runUntil([&] { return w.note().contains("Input \"USB Audio Device\" not found"); }, 5000))
            << w.note().toStdString();
        EXPECT_TRUE(runUntil([&] { return inputItem(*w.form, "USB Audio Device") == nullptr; }, 5000));
        const int32_t before = w.form->state.writeIndex;
        EXPECT_TRUE(runUntil([&] { return w.form->state.writeIndex > before + 44100; }, 5000)) << "capturing";

        usb.plug(); // back again: so is the capture
        EXPECT_TRUE(runUntil([&] { return w.form->windowTitle() == "USB Audio Device — Tamsel"; }, 10000));
        EXPECT_TRUE(runUntil([&] { return w.note().isEmpty(); }, 5000)) << w.note().toStdString();
        usb.unplug();
        EXPECT_TRUE(runUntil([&] { return w.note().contains("not found"); }, 10000));
        EXPECT_TRUE(w.errors.empty()) << w.errors.front().toStdString();
    }
    // Absent at start: the default source, the note, and the choice kept.
    {
        LiveWindow w(ini);
        EXPECT_TRUE(w.form->WinWaveIn1->Started());
        EXPECT_EQ(w.form->windowTitle(), "Remapped Monitor of Null Output — Tamsel");
        EXPECT_TRUE(w.note().contains("Input \"usbmic\" not found")) << w.note().toStdString();
        EXPECT_TRUE(w.errors.empty());
    }
    EXPECT_TRUE(fileText(ini).contains("[Tamsel]\r\nInput=usbmic\r\n"));
}
