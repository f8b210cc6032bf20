#include "app/InputMenu.h"

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

void InputMenu::refresh()
{
    TForm1 &f = form_;
    CaptureSession &capture = f.capture();
    for (QAction *item : f.InputGroup1->actions()) {
        if (item == f.InputDefault1)
            continue;
        f.InputGroup1->removeAction(item);
        f.Input1->removeAction(item);
        item->deleteLater(); // it may be the item whose click is being handled
    }
    QAction *before = f.Input1->actions().value(1); // the separator above "Show monitors"
    for (const CaptureSource &s : f.WinWaveIn1->service()->sources()) {
        if (s.monitor && !f.ShowMonitors1->isChecked() && !namesSource(s, capture.input().wanted))
            continue;
        QString caption = text(s.description.empty() ? s.name : s.description);
        auto *item = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), f.Input1);
        item->setCheckable(true);
        item->setData(text(s.name));
        item->setChecked(namesSource(s, capture.input().wanted));
        f.InputGroup1->addAction(item);
        f.Input1->insertAction(before, item);
    }
    if (capture.input().wanted.isEmpty())
        f.InputDefault1->setChecked(true);
    else if (f.InputGroup1->checkedAction() == f.InputDefault1)
        f.InputDefault1->setChecked(false); // the chosen source is absent: nothing checked
}

void InputMenu::itemClicked(QAction *item)
{
    form_.capture().choose(item == form_.InputDefault1 ? QString() : item->data().toString());
}

// The title names the source in use before the caption, which itself never changes. Ending
// with the caption (the application's display name), the title is shown as it is: the window
// system adds that name only to a title that does not end with it.
void InputMenu::showInUse()
{
    const CaptureSession &capture = form_.capture();
    const QString shown = capture.sourceShown();
    const QString &caption = form_.caption();
    form_.setWindowTitle(shown.isEmpty() ? caption : shown + QStringLiteral(" \u2014 ") + caption);
    form_.trend().inputInUse(shown, capture.playingRecording());
    showNote();
}

void InputMenu::showNote()
{
    const QString note = form_.capture().note();
    form_.StatusBar1->setCaptureNote(note, true);
    form_.BackPanel1->showCaptureAlarm(note); // the status bar may have no room left for it
}

} // namespace tamsel
