#pragma once
// The status bar: eight fixed panels, plus a capture-health note in the room left at the
// right that appears only when audio was lost or the sound server went away, and left of it
// a short note that appears when the pulses heard are no watch's. The capture note never
// widens the window: it is elided to its room, and the whole text is in its tooltip.
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
    void setPanelText(int index, const QString &text) { Panel(index)->setText(text); }
    QString panelText(int index) const { return Panel(index)->text(); }

    // The clock correction in force, or the time-signal calibration's time left; hidden when empty.
    void setClockNote(const QString &text);
    QString clockNote() const { return clock_->text(); }

    void setCaptureNote(const QString &text, bool alarm);
    QString captureNote() const { return note_->fullText(); }
    // Whether a watch is heard, beside the capture note; empty while there is nothing to say.
    void setWatchNote(const QString &text);
    QString watchNote() const { return watchNote_->text(); }

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitPanels();

    std::array<QLabel *, kPanelCount> panels_{};
    QLabel *clock_;
    ElidedLabel *note_;
    QLabel *watchNote_;
};

} // namespace tamsel
