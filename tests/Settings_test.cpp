// The window's settings across restarts: what the file holds after a run and what a
// stored file does to the next start.
#include <QStringEncoder>
#include <gtest/gtest.h>

#include "WindowDrive.h"
#include "settings/SettingsLocation.h"

using namespace tamsel;

TEST(Settings, FirstRunThatChangesNothingWritesTheDesignValues)
{
    Window w;
    w.form.reset();
    EXPECT_EQ(w.ini(),
              QByteArray("[Init]\r\nCenterStart=1\r\nNotCenterStart=0\r\nChecked=1\r\nChecked1=0\r\n"
                         "Checked2=0\r\nChecked3=0\r\nChecked4=0\r\nChecked5=0\r\nChecked6=0\r\n"
                         "Checked7=0\r\nNotStarGraph=1\r\nStarGraph=0\r\nDown=0\r\nNoiseLevel=1000\r\n"
                         "Zoom=1\r\nHosei=0\r\nvbps=0\r\nAverage=0\r\nvkata=0\r\n\r\n"));
}

TEST(Settings, ChoicesSurviveARestart)
{
    Window w;
    w.form->jpeg1->trigger();
    w.form->N32->trigger();
    w.form->SpeedButton8->click();
    w.form->N81->trigger();
    w.form->spdClick();
    w.form->SpeedButton5Click();    // Dot UP
    w.form->clock().step(-1, true); // with Shift
    w.restart();
    EXPECT_TRUE(w.form->jpeg1->isChecked());
    EXPECT_FALSE(w.form->bitmap1->isChecked());
    EXPECT_TRUE(w.form->N32->isChecked());
    EXPECT_TRUE(w.form->SpeedButton8->isChecked());
    EXPECT_TRUE(w.form->N81->isChecked());
    EXPECT_EQ(w.state().zoom, 8);
    EXPECT_EQ(w.state().rateMode, 1);
    EXPECT_EQ(w.state().samplesPerSecond, 44101);
    EXPECT_EQ(w.state().clockCorrection, -0.1);
    EXPECT_TRUE(w.ini().contains("[Tamsel]\r\nClockCorrection=-0.1\r\n"));
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Clock +1.9 s/day");
    EXPECT_FALSE(w.ini().contains("Split"));

    // A time-signal calibration still listening at the end leaves both corrections as they were.
    w.form->T1Click();
    w.restart();
    EXPECT_EQ(w.state().samplesPerSecond, 44101);
    EXPECT_EQ(w.state().clockCorrection, -0.1);
}

TEST(Settings, ThresholdIsRestoredOnlyWhenSaveIsChosen)
{
    Window w;
    w.form->N8->trigger();
    w.form->TrackBar1->setValue(20000);
    w.restart();
    EXPECT_EQ(w.form->TrackBar1->value(), 20000);
    EXPECT_TRUE(w.ini().contains("BoundaryLevel=20000"));
    w.form->N7->trigger();
    w.form->TrackBar1->setValue(25000);
    w.restart();
    EXPECT_EQ(w.form->TrackBar1->value(), 15000) << "not Save: the design position";
    EXPECT_TRUE(w.ini().contains("BoundaryLevel=20000")) << "the older value stays in the file";

    // --auto-threshold lasts one run: where it moved the track bar is not saved.
    w.form->N8->trigger();
    w.form->TrackBar1->setValue(20000);
    w.restart();
    ASSERT_EQ(w.form->TrackBar1->value(), 20000);
    w.form->runFlags.turnOn(w.form->AutoThreshold1);
    test::WatchFeed feed;
    feed.buffers(w, 12);
    ASSERT_NE(w.form->TrackBar1->value(), 20000) << "the threshold followed the watch";
    w.restart();
    EXPECT_EQ(w.form->TrackBar1->value(), 20000);
    EXPECT_TRUE(w.ini().contains("BoundaryLevel=20000"));
}

TEST(Settings, StoredValuesTakeEffectAtStart)
{
    Window w("[Init]\r\nChecked2=1\r\nZoom=3\r\nHosei=-5\r\nNoiseLevel=32700\r\nStarGraph=1\r\nNotStarGraph="
             "0\r\n");
    EXPECT_TRUE(w.form->jpeg1->isChecked());
    EXPECT_FALSE(w.form->bitmap1->isChecked());
    for (QAction *zoom : {w.form->N16, w.form->N22, w.form->N41, w.form->N81})
        EXPECT_FALSE(zoom->isChecked());
    EXPECT_EQ(w.state().zoom, 3);
    EXPECT_TRUE(w.form->StatusBar1->panelText(0).endsWith("3"));
    EXPECT_EQ(w.state().samplesPerSecond, 44095);
    EXPECT_EQ(w.form->TrackBar1->value(), 65);
    EXPECT_EQ(w.form->TrackBar1->maximum(), 67);
    EXPECT_TRUE(w.form->NOn1->isChecked());
    EXPECT_TRUE(w.form->SpeedButton7->isChecked());
    EXPECT_FALSE(w.form->SpeedButton8->isEnabled());
}

// A settings file an editor saved as UTF-16 is read, not reset, and written back as UTF-8.
TEST(Settings, AFileInUtf16IsReadAndWrittenBackAsUtf8)
{
    const QString text =
        QStringLiteral("[Init]\r\nZoom=3\r\nHosei=-5\r\n[Tamsel]\r\nInput=Mikrofon \u00fc\r\n");
    const auto utf16 = [&text](QStringConverter::Encoding encoding, bool mark) {
        QStringEncoder encode(encoding,
                              mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return QByteArray(encode(text));
    };
    for (const QByteArray &ini :
         {utf16(QStringConverter::Utf16LE, true), utf16(QStringConverter::Utf16BE, false)}) {
        Window w(ini);
        EXPECT_EQ(w.state().zoom, 3);
        EXPECT_EQ(w.state().samplesPerSecond, 44095);
        EXPECT_TRUE(w.errors.empty());
        w.form.reset();
        const QByteArray saved = w.ini();
        EXPECT_TRUE(saved.startsWith("[Init]\r\n")) << saved.toStdString();
        EXPECT_TRUE(saved.contains("Zoom=3\r\n"));
        EXPECT_TRUE(saved.contains("Input=Mikrofon \xc3\xbc\r\n")) << saved.toStdString();
    }
}

TEST(Settings, BadValuesFallBackAndNeverCrash)
{
    Window w("[Init]\r\nZoom=0\r\nHosei=99999\r\nvbps=abc\r\nNoiseLevel=12x\r\nCenterStart=yes\r\n");
    EXPECT_EQ(w.state().zoom, 1);
    EXPECT_EQ(w.state().fineCorrection, 0);
    EXPECT_EQ(w.state().samplesPerSecond, 44100);
    EXPECT_EQ(w.state().beatUnit, 0);
    EXPECT_EQ(w.state().noiseLevel, 1000);
    EXPECT_FALSE(w.form->N2->isChecked()) << "a check mark that is not a number reads 0";
    EXPECT_TRUE(w.errors.empty());

    // The clock correction: only a number from -500 to 500 s/day.
    for (const char *clock : {"abc", "500.01", "-1e9", "nan", "inf", "3,5"}) {
        Window stored(
            QStringLiteral("[Tamsel]\r\nClockCorrection=%1\r\n").arg(QLatin1String(clock)).toLatin1());
        EXPECT_EQ(stored.state().clockCorrection, 0) << clock;
    }
    EXPECT_EQ(Window("[Tamsel]\r\nClockCorrection=-499.5\r\n").state().clockCorrection, -499.5);

    // Whole numbers outside their ranges fall back too.
    for (const char *noise : {"-2147483648", "0x80000000", "2147483647"}) {
        Window far(QStringLiteral("[Init]\r\nNoiseLevel=%1\r\nBoundaryLevel=-7\r\nZoom=9\r\nHosei=44101\r\n")
                       .arg(QLatin1String(noise))
                       .toLatin1());
        EXPECT_EQ(far.state().noiseLevel, 1000) << noise;
        EXPECT_EQ(far.state().boundaryLevel, 15000);
        EXPECT_EQ(far.state().zoom, 1);
        EXPECT_EQ(far.state().samplesPerSecond, 44100);
        EXPECT_EQ(far.form->TrackBar1->maximum(), 32767 - 1000);
    }
}

TEST(Settings, UnreadableFileIsReportedAndTheWindowStillStarts)
{
    Window w("[Init]\r\nZoom=2\r\n");
    w.form.reset();
    QFile::remove(w.iniPath());
    QDir().mkdir(w.iniPath()); // a folder where the file should be: it cannot be read or written
    w.errors.clear();
    w.service = new ScriptedSoundService;
    w.build();
    ASSERT_FALSE(w.errors.empty());
    EXPECT_TRUE(w.errors[0].startsWith(QStringLiteral("Cannot open the file ")))
        << "the English interface's text";
    EXPECT_EQ(w.state().zoom, 1);
    const size_t before = w.errors.size();
    w.form.reset();
    ASSERT_GT(w.errors.size(), before);
    EXPECT_TRUE(w.errors.back().contains(w.iniPath())) << "the save's failure names the file";
}

TEST(SettingsLocation, BesideTheExecutableWhenWritableElseInTheConfigurationFolder)
{
    QTemporaryDir dir;
    const QString config = dir.filePath("config/Tamsel");
    EXPECT_EQ(settingsFilePathFor(dir.filePath("Quorlen"), config), dir.filePath("Quorlen.ini"));
    // A folder that cannot be written (here: one that does not exist) sends the file to the
    // user's configuration folder, which is created.
    EXPECT_EQ(settingsFilePathFor("/nonexistent/bin/Quorlen", config), config + "/Quorlen.ini");
    // An installed copy, also when run by root, who could write there.
    EXPECT_EQ(settingsFilePathFor("/usr/bin/Quorlen", config), config + "/Quorlen.ini");
    EXPECT_TRUE(QDir(config).exists());
}
