// Option / Input: the capture sources the server offers, the one chosen handed to the capture
// session; the source in use in the title.
#include <QMenu>

#include "app/TForm1.h"
#include "app/trend/Trend.h"

namespace tamsel {

namespace {

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

// One radio item per source after "Default", by description; monitors only on request
// (or when one is the chosen source).
void TForm1::refreshInputMenu()
{
    for (QAction *item : InputGroup1->actions()) {
        if (item == InputDefault1)
            continue;
        InputGroup1->removeAction(item);
        Input1->removeAction(item);
        item->deleteLater(); // it may be the item whose click is being handled
    }
    QAction *before = Input1->actions().value(1); // the separator above "Show monitors"
    for (const CaptureSource &s : WinWaveIn1->service()->sources()) {
        if (s.monitor && !ShowMonitors1->isChecked() && !namesSource(s, capture_.input().wanted))
            continue;
        QString caption = text(s.description.empty() ? s.name : s.description);
        auto *item = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), Input1);
        item->setCheckable(true);
        item->setData(text(s.name));
        item->setChecked(namesSource(s, capture_.input().wanted));
        InputGroup1->addAction(item);
        Input1->insertAction(before, item);
    }
    if (capture_.input().wanted.isEmpty())
        InputDefault1->setChecked(true);
    else if (InputGroup1->checkedAction() == InputDefault1)
        InputDefault1->setChecked(false); // the chosen source is absent: nothing checked
}

void TForm1::InputItemClick(QAction *item)
{
    capture_.choose(item == InputDefault1 ? QString() : item->data().toString());
}

void TForm1::ShowMonitors1Click()
{
    refreshInputMenu();
}

// The title names the source in use before the caption, which itself never changes. Ending
// with the caption (the application's display name), the title is shown as it is: the window
// system adds that name only to a title that does not end with it.
void TForm1::showInputInUse()
{
    const QString shown = capture_.sourceShown();
    setWindowTitle(shown.isEmpty() ? caption_ : shown + QStringLiteral(" \u2014 ") + caption_);
    trend_->inputInUse(shown, capture_.playingRecording());
    showCaptureNote();
}

void TForm1::showCaptureNote()
{
    StatusBar1->setCaptureNote(capture_.note(), true);
    showCaptureAlarm(capture_.note()); // the status bar may have no room left for it
}

} // namespace tamsel
