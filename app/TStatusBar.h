#pragma once
// The status bar: eight panels no wider than their longest texts need, plus a capture-health
// note in the room left at the right that appears only when audio was lost or the sound server
// went away, and left of it short notes: a replay's place, the clock correction, the card's
// clock against the computer's, and whether the pulses heard are a watch's. No note ever widens
// the window: each is elided to the room there is, and its whole text is in its tooltip.
#include <QLabel>
#include <QStatusBar>
#include <array>

#include "app/ElidedLabel.h"

namespace tamsel {

class TStatusBar : public QStatusBar {
public:
    explicit TStatusBar(QWidget *parent);

    static constexpr int kPanelCount = 8;
    QLabel *Panel(int index) const { return panels_[static_cast<size_t>(index)]; }
    // Panel 7, the lift time, takes no room while it is empty.
    void setPanelText(int index, const QString &text);
    QString panelText(int index) const { return Panel(index)->text(); }

    // The clock correction in force, or the time-signal calibration's time left; hidden when empty.
    void setClockNote(const QString &text);
    QString clockNote() const { return clock_->fullText(); }
    // The sound card's rate against the computer's clock, or how long until it is known; hidden
    // when empty.
    void setCardNote(const QString &text);
    QString cardNote() const { return card_->fullText(); }
    // Where a replay is ("0:12 / 2:05"), or "End of recording"; hidden when empty.
    void setReplayNote(const QString &text);
    QString replayNote() const { return replay_->fullText(); }
    // Past a recording's end only its silence is heard: no note on the watch meanwhile.
    void setRecordingEnded(bool ended);

    void setCaptureNote(const QString &text, bool alarm);
    QString captureNote() const { return note_->fullText(); }
    // Whether a watch is heard, beside the capture note; empty while there is nothing to say.
    void setWatchNote(const QString &text);
    QString watchNote() const { return recordingEnded_ ? QString() : watchNote_->fullText(); }

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitPanels();

    std::array<QLabel *, kPanelCount> panels_{};
    ElidedLabel *replay_;
    ElidedLabel *clock_;
    ElidedLabel *card_;
    ElidedLabel *note_;
    ElidedLabel *watchNote_;
    bool recordingEnded_ = false;
};

} // namespace tamsel
