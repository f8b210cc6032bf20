#include "app/recordings/RecordingsMenu.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QUrl>

#include "app/MainMenu.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/cardclock/CardClock.h"
#include "app/recordings/RecordingDrop.h"
#include "app/recordings/RecordingSource.h"
#include "recording/RecordNames.h"
#include "settings/TIniSaveProps.h"

namespace tamsel {

namespace {

const QString kSection = QStringLiteral("Tamsel");
const QString kFolderKey = QStringLiteral("RecordFolder");
const QString kLastFolderKey = QStringLiteral("DialogFolder");

QString withSeparator(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(folder));
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

} // namespace

RecordingsMenu::RecordingsMenu(TForm1 &form, QMenu *file, QMenu *option)
    : QObject(&form), form_(form), replay_(form)
{
    file->addSeparator();
    OpenRecording1 = menuItem(file, "&Open recording…", "OpenRecording1");
    OpenRecording1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    LiveInput1 = menuItem(file, "&Live input", "LiveInput1");
    SaveAudio1 = menuItem(file, "&Save audio…", "SaveAudio1");
    SaveAudio1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAudio1->setCheckable(true);
    new RecordingDrop(form, *this);
    option->addSeparator();
    RecordFolder1 = menuItem(option, "Recording &folder…", "RecordFolder1");
    OpenRecordFolder1 = menuItem(option, "Open recording folder", "OpenRecordFolder1");
    const std::pair<QAction *, void (RecordingsMenu::*)()> items[] = {
        {OpenRecording1, &RecordingsMenu::OpenRecording1Click},
        {LiveInput1, &RecordingsMenu::LiveInput1Click},
        {SaveAudio1, &RecordingsMenu::SaveAudio1Click},
        {RecordFolder1, &RecordingsMenu::RecordFolder1Click},
        {OpenRecordFolder1, &RecordingsMenu::OpenRecordFolder1Click},
    };
    for (const auto &[action, handler] : items)
        connect(action, &QAction::triggered, this, handler);
}

void RecordingsMenu::OpenRecording1Click()
{
    const QString path = QFileDialog::getOpenFileName(
        &form_, QStringLiteral("Open recording"), dialogFolder(),
        QStringLiteral(
            "Recordings (*.wav *.flac *.ogg *.oga *.opus *.aif *.aiff *.au *.w64 *.caf);;All files (*)"));
    if (path.isEmpty())
        return;
    usedFolderOf(path);
    openRecording(path);
}

bool RecordingsMenu::openRecording(const QString &path)
{
    QString error;
    std::unique_ptr<SoundService> service = recordingService(path, false, &error, paced);
    if (!service) {
        ShowException(error); // the capture in use goes on
        return false;
    }
    form_.capture().playRecording(std::move(service), QFileInfo(path).fileName());
    return true;
}

void RecordingsMenu::LiveInput1Click()
{
    form_.capture().playLive();
}

void RecordingsMenu::SaveAudio1Click()
{
    if (saving()) {
        stopSaving();
        return;
    }
    SaveAudio1->setChecked(false);
    QDir().mkpath(form_.recordFolder);
    const QString path = QFileDialog::getSaveFileName(&form_, QStringLiteral("Save audio"),
                                                      freeAudioPath(dialogFolder(), false),
                                                      QStringLiteral("FLAC (*.flac);;WAV (*.wav)"));
    if (path.isEmpty())
        return;
    usedFolderOf(path);
    // The dialog has asked before replacing a file; the file itself is always made new.
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        ShowException(QStringLiteral("Cannot replace %1.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const bool known = path.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) ||
                       path.endsWith(QStringLiteral(".flac"), Qt::CaseInsensitive);
    startSaving(known ? path : path + QStringLiteral(".flac"));
}

QString RecordingsMenu::suggestedAudioPath(bool wav) const
{
    return freeAudioPath(form_.recordFolder, wav);
}

QString RecordingsMenu::freeAudioPath(const QString &folder, bool wav) const
{
    const QString stamp = recordStamp(QDateTime::currentDateTime());
    const QString ending = wav ? QStringLiteral(".wav") : QStringLiteral(".flac");
    QString path = folder + stamp + ending;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + stamp + QStringLiteral("-%1").arg(n) + ending;
    return path;
}

QString RecordingsMenu::dialogFolder() const
{
    return lastFolder_.isEmpty() ? form_.recordFolder : withSeparator(lastFolder_);
}

void RecordingsMenu::usedFolderOf(const QString &path)
{
    lastFolder_ = QFileInfo(path).absolutePath();
}

bool RecordingsMenu::startSaving(const QString &path)
{
    stopSaving();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString error = writer_.open(path, QDateTime::currentDateTime(), form_.cardClock().recordingNote());
    SaveAudio1->setChecked(error.isEmpty());
    if (!error.isEmpty())
        ShowException(error);
    return error.isEmpty();
}

void RecordingsMenu::stopSaving()
{
    SaveAudio1->setChecked(false);
    const QString error = writer_.close();
    if (!error.isEmpty())
        ShowException(error);
}

void RecordingsMenu::SamplesHeard(const TWinWaveBuffer &buf)
{
    replay_.heard(buf);
    if (!writer_.isOpen())
        return;
    // Little-endian 16-bit samples, as the capture format has them on this platform.
    const QString error =
        writer_.write(reinterpret_cast<const int16_t *>(buf.Data()), buf.BytesRecorded() / 2);
    if (error.isEmpty())
        return;
    SaveAudio1->setChecked(false);
    // Told once the buffer has been handled, so that no box holds it up.
    QTimer::singleShot(0, &form_, [error] { ShowException(error); });
}

// After a replay's end the recording plays again from its start, and its new measurement starts
// with it. With no source open (a recording that could not be read), Start stays up and this
// says how to go on.
bool RecordingsMenu::StartPressed()
{
    if (replay_.ended()) {
        form_.capture().playAgain();
        return true;
    }
    if (form_.capture().nothingToCapture())
        ShowMessage(QStringLiteral("Nothing to measure: open a recording (File ▸ Open recording…) or "
                                   "choose File ▸ Live input."));
    return false;
}

void RecordingsMenu::load(TIniSaveProps &ini)
{
    folder_ = loadedFolder_ = ini.ReadStrValue(kSection, kFolderKey);
    lastFolder_ = loadedLastFolder_ = ini.ReadStrValue(kSection, kLastFolderKey);
}

void RecordingsMenu::save(TIniSaveProps &ini) const
{
    // A line break would split the file's line: such a folder lasts one run.
    auto keep = [&ini](const QString &key, const QString &folder, const QString &loaded) {
        if (folder != loaded && !folder.contains(u'\n') && !folder.contains(u'\r'))
            ini.WriteStrValue(kSection, key, folder);
    };
    keep(kFolderKey, folder_, loadedFolder_);
    keep(kLastFolderKey, lastFolder_, loadedLastFolder_);
}

void RecordingsMenu::showFolder()
{
    if (!folder_.isEmpty())
        form_.recordFolder = withSeparator(folder_);
}

void RecordingsMenu::chooseFolder(const QString &folder)
{
    folder_ = withSeparator(folder);
    showFolder();
}

void RecordingsMenu::RecordFolder1Click()
{
    const QString folder =
        QFileDialog::getExistingDirectory(&form_, QStringLiteral("Recording folder"), form_.recordFolder);
    if (!folder.isEmpty())
        chooseFolder(folder);
}

void RecordingsMenu::OpenRecordFolder1Click()
{
    const QString folder = form_.recordFolder;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        ShowException(QStringLiteral("Cannot make the recording folder %1.").arg(folder));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        ShowException(QStringLiteral("No file manager opened the recording folder %1.").arg(folder));
}

} // namespace tamsel
