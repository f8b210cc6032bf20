#pragma once
// Recordings in the window. File: "Open recording..." replays a recording in place of the
// live capture (so does a recording dropped on the window) and "Live input" returns to it;
// "Save audio..." writes what the window hears to a FLAC or WAV file until chosen again. Option:
// "Recording folder..." chooses where snapshots, logs and saved audio go (kept in [Tamsel] once
// changed), "Open recording folder" shows it. The open and save dialogs start in the folder
// last used in them, also kept in [Tamsel] once there is one.
#include <QObject>
#include <QString>
#include <memory>

#include "app/recordings/ReplayPlace.h"
#include "recording/AudioWriter.h"

class QAction;
class QMenu;

namespace tamsel {

class TForm1;
class TIniSaveProps;
class TWinWaveBuffer;

class RecordingsMenu : public QObject {
public:
    // Adds its items at the ends of the two menus.
    RecordingsMenu(TForm1 &form, QMenu *file, QMenu *option);

    void OpenRecording1Click();
    void LiveInput1Click();
    void SaveAudio1Click();
    void RecordFolder1Click();
    void OpenRecordFolder1Click();
    // Every capture buffer, before the window stores it.
    void SamplesHeard(const TWinWaveBuffer &buf);
    // Start pressed: true when this took the press (after a replay's end).
    bool StartPressed();

    // The steps behind the dialogs. Each says what went wrong and returns false.
    bool openRecording(const QString &path);
    bool startSaving(const QString &path);
    void stopSaving();
    bool saving() const { return writer_.isOpen(); }
    // A free name in the recording folder for audio starting now, FLAC unless `wav`.
    QString suggestedAudioPath(bool wav = false) const;
    // Where the open and save dialogs start: the folder last used in them, else the recording folder.
    QString dialogFolder() const;

    // The chosen recording folder in the settings; it replaces the default when shown.
    void load(TIniSaveProps &ini);
    void save(TIniSaveProps &ini) const;
    void chooseFolder(const QString &folder);
    void showFolder();

    QAction *OpenRecording1, *LiveInput1, *SaveAudio1;
    QAction *RecordFolder1, *OpenRecordFolder1;
    bool paced = true; // recordings play at the pace of their audio; tests take them faster
    const ReplayPlace &replay() const { return replay_; }

private:
    QString freeAudioPath(const QString &folder, bool wav) const;
    void usedFolderOf(const QString &path);

    TForm1 &form_;
    AudioWriter writer_;
    ReplayPlace replay_;
    QString folder_, loadedFolder_;         // as chosen, and as read at start
    QString lastFolder_, loadedLastFolder_; // of the dialogs
};

} // namespace tamsel
