#pragma once
// What the capture session knows of its source: the choice the settings keep, the source
// this run wants, and the one the device has open.
#include <QString>
#include <memory>

#include "capture/SoundService.h"

namespace tamsel {

struct InputChoice {
    QString stored;                     // Input= of the settings; empty: the default source
    QString loaded;                     // as read at start: only a change is written back
    QString device;                     // --device: this run's source, leaving the stored one as it is
    QString wanted;                     // this run's source: --device over the stored one, then the menu's
    QString opened;                     // what the open device was asked for; empty after a fall-back
    QString target;                     // the source a switch opens once the buffers are back
    QString wantedBefore, storedBefore; // restored when a switch fails
    QString openedText;                 // how the menu named `opened` when it was opened
    QString note;                       // for the status bar: the wanted source is absent
    bool switching = false;             // returning buffers are unprepared for a switch to `target`
    // A recording in place of the live capture: the service a switch puts in place, the live
    // one set aside meanwhile, and the recording's name (empty: live).
    std::unique_ptr<SoundService> next, aside;
    QString recording, nextRecording;

    void remember()
    {
        wantedBefore = wanted;
        storedBefore = stored;
    }
    void restore()
    {
        wanted = wantedBefore;
        stored = storedBefore;
    }
};

// A source is named by its name or, on the command line, by its description.
inline bool namesSource(const CaptureSource &s, const QString &source)
{
    return !source.isEmpty() &&
           (QString::fromStdString(s.name) == source || QString::fromStdString(s.description) == source);
}

} // namespace tamsel
