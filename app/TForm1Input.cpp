// Option / Input: the capture source, chosen among the sound server's and kept current with
// its events; switching the device to another source; the source in use in the title.
#include <QCoreApplication>
#include <QMenu>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/trend/Trend.h"

namespace tamsel {

namespace {

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

// A source is named by its name or, on the command line, by its description.
bool names(const CaptureSource &s, const QString &source)
{
    return !source.isEmpty() && (text(s.name) == source || text(s.description) == source);
}

QString absentNote(const QString &source)
{
    return QStringLiteral("Input \"%1\" not found: capturing from the default source.").arg(source);
}

} // namespace

void TForm1::buildInputMenu(QMenu *option)
{
    Input1 = option->addMenu(QStringLiteral("Input"));
    Input1->setObjectName(QStringLiteral("Input1"));
    InputGroup1 = new QActionGroup(this);
    InputGroup1->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    InputDefault1 = Input1->addAction(QStringLiteral("Default"));
    InputDefault1->setObjectName(QStringLiteral("InputDefault1"));
    InputDefault1->setCheckable(true);
    InputDefault1->setChecked(true);
    InputGroup1->addAction(InputDefault1);
    Input1->addSeparator();
    ShowMonitors1 = Input1->addAction(QStringLiteral("Show monitors"));
    ShowMonitors1->setObjectName(QStringLiteral("ShowMonitors1"));
    ShowMonitors1->setCheckable(true);
}

bool TForm1::listed(const QString &source) const
{
    for (const CaptureSource &s : WinWaveIn1->service()->sources())
        if (names(s, source))
            return true;
    return false;
}

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
        if (s.monitor && !ShowMonitors1->isChecked() && !names(s, input_.wanted))
            continue;
        QString caption = text(s.description.empty() ? s.name : s.description);
        auto *item = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), Input1);
        item->setCheckable(true);
        item->setData(text(s.name));
        item->setChecked(names(s, input_.wanted));
        InputGroup1->addAction(item);
        Input1->insertAction(before, item);
    }
    if (input_.wanted.isEmpty())
        InputDefault1->setChecked(true);
    else if (InputGroup1->checkedAction() == InputDefault1)
        InputDefault1->setChecked(false); // the chosen source is absent: nothing checked
}

void TForm1::InputItemClick(QAction *item)
{
    if (state.closing)
        return;
    const QString source = item == InputDefault1 ? QString() : item->data().toString();
    if (source == input_.wanted && source == input_.opened && WinWaveIn1->Opened())
        return; // already in use
    input_.remember();
    input_.wanted = input_.stored = source;
    switchInput(source);
}

void TForm1::ShowMonitors1Click()
{
    refreshInputMenu();
}

void TForm1::WinWaveIn1SourcesChanged(QObject *)
{
    refreshInputMenu();
    if (!state.closing && !input_.switching && WinWaveIn1->Opened()) {
        if (!input_.opened.isEmpty() && !listed(input_.opened)) {
            // The source in use is gone: the default source takes over until it is back.
            input_.note = absentNote(input_.openedText);
            input_.remember();
            switchInput(QString());
        } else if (input_.opened != input_.wanted && listed(input_.wanted)) {
            input_.remember();
            switchInput(input_.wanted); // it is back
        }
    }
    showInputInUse();
}

// At start: --device for this run, else the stored choice; a stored source that is absent
// leaves the default source in use and the choice kept.
void TForm1::openChosenInput()
{
    input_.wanted = input_.device.isEmpty() ? input_.stored : input_.device;
    refreshInputMenu();
    QString error;
    if (!input_.device.isEmpty() || input_.wanted.isEmpty()) {
        openInput(input_.wanted, nullptr); // a failure is the window's start-up error, as always
    } else if (!openInput(input_.wanted, &error)) {
        if (listed(input_.wanted))
            ShowException(error); // there, but it refuses: its reason
        else
            input_.note = absentNote(input_.wanted);
        openInput(QString(), nullptr);
    }
    showInputInUse();
}

// Without `error` a failure is raised on.
bool TForm1::openInput(const QString &source, QString *error)
{
    WinWaveIn1->service()->selectSource(source.toStdString());
    try {
        WinWaveIn1->Open();
    } catch (const EWinWave &e) {
        if (!error)
            throw;
        *error = QString::fromUtf8(e.what());
        return false;
    }
    input_.opened = input_.openedText = source;
    for (const CaptureSource &s : WinWaveIn1->service()->sources())
        if (names(s, source) && !s.description.empty())
            input_.openedText = text(s.description);
    return true;
}

// The device is closed and opened on `source` once its buffers are back from it.
void TForm1::switchInput(const QString &source)
{
    input_.target = source;
    input_.switching = WinWaveIn1->PreparedCount() > 0;
    if (!input_.switching)
        reopenInput();
}

void TForm1::reopenInput()
{
    input_.switching = false;
    const QString previous = input_.opened;
    if (WinWaveIn1->Opened()) {
        try {
            WinWaveIn1->Stop();
            WinWaveIn1->Close();
        } catch (const EWinWave &e) {
            ShowException(QString::fromUtf8(e.what()));
            return;
        }
    }
    // What the old stream still had on its way is of no use now.
    QCoreApplication::removePostedEvents(WinWaveIn1);
    if (input_.next) {
        std::unique_ptr<SoundService> previous = WinWaveIn1->swapService(std::move(input_.next));
        if (input_.recording.isEmpty())
            input_.aside = std::move(previous); // the live service waits; a recording is done with
        input_.recording = input_.nextRecording;
    }
    failure_.clear();
    QString error;
    if (!openInput(input_.target, &error)) {
        // The server's reason, and back to the source it had.
        input_.restore();
        ShowException(error);
        if (!openInput(previous, &error))
            ShowException(error);
    }
    if (input_.opened == input_.wanted)
        input_.note.clear();
    refreshInputMenu();
    engine_.restartConditioning();
    setStartDown();
    StartButtonClick(); // a new measurement, from the new source's first sample
    showInputInUse();
}

// The title names the source in use after the caption, which itself never changes.
void TForm1::showInputInUse()
{
    const QString name = WinWaveIn1->Opened() ? text(WinWaveIn1->service()->sourceInUse()) : QString();
    QString shown = name;
    for (const CaptureSource &s : WinWaveIn1->service()->sources())
        if (!name.isEmpty() && text(s.name) == name && !s.description.empty())
            shown = text(s.description);
    if (!input_.recording.isEmpty())
        shown = input_.recording;
    setWindowTitle(shown.isEmpty() ? caption_ : caption_ + QStringLiteral(" – ") + shown);
    trend_->inputInUse(shown, playingRecording());
    showCaptureNote();
}

} // namespace tamsel
