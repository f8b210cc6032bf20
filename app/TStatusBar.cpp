#include "app/TStatusBar.h"

#include <QEvent>
#include <algorithm>

#include "recording/MeasurementText.h"

namespace tamsel {

namespace {
// How wide a panel is: its designed width, or exactly what its longest text needs, leaving the
// rest of the bar to the notes.
enum class Width { AtLeastDesigned, Fitted };
struct PanelLayout {
    int width;
    Qt::Alignment alignment;
    const char *text;
    const char *longest = ""; // the longest text the panel shows, which it must fit
    Width rule = Width::AtLeastDesigned;
    bool hiddenWhileEmpty = false; // a panel only some modes write
};
const PanelLayout kPanels[TStatusBar::kPanelCount] = {
    {150, Qt::AlignHCenter, "60sec view", "900秒 8倍表示", Width::Fitted},
    {65, Qt::AlignLeft, kBeatErrorLabel, kBeatErrorLabel},
    {100, Qt::AlignRight, ""},
    {65, Qt::AlignLeft, kAmplitudeLabel, kAmplitudeLabel},
    {50, Qt::AlignRight, ""},
    {38, Qt::AlignLeft, kRateLabel, kRateLabel},
    {130, Qt::AlignRight, "", "-9999.999 sec/day", Width::Fitted},
    {50, Qt::AlignLeft, "", "拘束時間: 999.9 msec", Width::AtLeastDesigned, true},
};
} // namespace

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setFixedHeight(19);
    setSizeGripEnabled(true);
    for (int i = 0; i < kPanelCount; ++i) {
        auto *label = new QLabel(QString::fromUtf8(kPanels[i].text), this);
        label->setAlignment(kPanels[i].alignment | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        addWidget(label);
        label->setVisible(!kPanels[i].hiddenWhileEmpty);
        panels_[static_cast<size_t>(i)] = label;
    }
    replay_ = new ElidedLabel(this, true);
    replay_->hide();
    addPermanentWidget(replay_);
    clock_ = new ElidedLabel(this, true);
    clock_->hide();
    addPermanentWidget(clock_);
    card_ = new ElidedLabel(this, true);
    card_->hide();
    addPermanentWidget(card_);
    watchNote_ = new ElidedLabel(this, true);
    watchNote_->hide();
    addPermanentWidget(watchNote_);
    note_ = new ElidedLabel(this);
    note_->setObjectName(QStringLiteral("CaptureNote"));
    note_->hide();
    addPermanentWidget(note_, 1);
    fitPanels();
}

// At the font in use, each panel's longest text fits.
void TStatusBar::fitPanels()
{
    for (int i = 0; i < kPanelCount; ++i) {
        QLabel *label = panels_[static_cast<size_t>(i)];
        const QString shown = label->text();
        label->setText(QString::fromUtf8(kPanels[i].longest));
        // A fixed width would be the size hint's floor.
        label->setMinimumWidth(0);
        const int needed = label->sizeHint().width(); // the text, its indent and the frame
        label->setText(shown);
        label->setFixedWidth(kPanels[i].rule == Width::Fitted ? needed : std::max(kPanels[i].width, needed));
    }
}

void TStatusBar::setPanelText(int index, const QString &text)
{
    Panel(index)->setText(text);
    if (kPanels[index].hiddenWhileEmpty)
        Panel(index)->setVisible(!text.isEmpty());
}

void TStatusBar::changeEvent(QEvent *event)
{
    QStatusBar::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitPanels();
}

void TStatusBar::setClockNote(const QString &text)
{
    clock_->setFullText(text);
    clock_->setVisible(!text.isEmpty());
}

void TStatusBar::setCardNote(const QString &text)
{
    card_->setFullText(text);
    card_->setVisible(!text.isEmpty());
}

void TStatusBar::setReplayNote(const QString &text)
{
    replay_->setFullText(text);
    replay_->setVisible(!text.isEmpty());
}

void TStatusBar::setRecordingEnded(bool ended)
{
    recordingEnded_ = ended;
    watchNote_->setVisible(!ended && !watchNote_->fullText().isEmpty());
}

void TStatusBar::setCaptureNote(const QString &text, bool alarm)
{
    note_->setStyleSheet(alarm ? QStringLiteral("color: #C00000; font-weight: bold;") : QString());
    note_->setFullText(text);
    note_->setVisible(!text.isEmpty());
}

void TStatusBar::setWatchNote(const QString &text)
{
    watchNote_->setFullText(text);
    watchNote_->setVisible(!recordingEnded_ && !text.isEmpty());
}

} // namespace tamsel
