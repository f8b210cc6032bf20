#include "app/positions/PositionsDialog.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "files/WholeFile.h"
#include "measurement/PositionReadout.h"
#include "recording/RecordNames.h"

namespace tamsel {

namespace {

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString number(double x, int decimals)
{
    return QString::number(x, 'f', decimals);
}

} // namespace

void PositionsDialog::Open(TForm1 &form)
{
    if (!form.PositionsDlg) {
        form.PositionsDlg = new PositionsDialog(form);
        form.capture().OnBufferQueued = [&form](int samples) { form.PositionsDlg->BufferHandled(samples); };
    }
    form.PositionsDlg->show();
    form.PositionsDlg->raise();
    form.PositionsDlg->activateWindow();
}

PositionsDialog::PositionsDialog(TForm1 &form) : QDialog(&form), form_(form)
{
    setWindowTitle(QStringLiteral("Positions"));
    setAttribute(Qt::WA_WindowPropagation);
    auto *column = new QVBoxLayout(this);

    PositionList = new QListWidget(this);
    for (WatchPosition p : kWatchPositions) {
        auto *item =
            new QListWidgetItem(text(PositionCode(p)) + QStringLiteral("  ") + text(PositionName(p)));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(InCommonFive(p) ? Qt::Checked : Qt::Unchecked);
        PositionList->addItem(item);
    }
    PositionList->setFixedHeight(PositionList->sizeHintForRow(0) * 6 + 2 * PositionList->frameWidth());
    column->addWidget(PositionList);

    auto *times = new QFormLayout;
    SettleEdit = new QSpinBox(this);
    SettleEdit->setRange(0, 600);
    SettleEdit->setValue(10);
    SettleEdit->setSuffix(QStringLiteral(" s"));
    times->addRow(QStringLiteral("Settle time"), SettleEdit);
    MeasureEdit = new QSpinBox(this);
    MeasureEdit->setRange(0, 900);
    MeasureEdit->setValue(0);
    MeasureEdit->setSuffix(QStringLiteral(" s"));
    MeasureEdit->setSpecialValueText(QStringLiteral("One sweep"));
    times->addRow(QStringLiteral("Measuring time"), MeasureEdit);
    column->addLayout(times);

    PromptLabel = new QLabel(this);
    QFont bold = PromptLabel->font();
    bold.setBold(true);
    PromptLabel->setFont(bold);
    column->addWidget(PromptLabel);
    CountdownLabel = new QLabel(this);
    column->addWidget(CountdownLabel);

    const QStringList headers = {QStringLiteral("Position"),      QStringLiteral("Rate s/day"),
                                 QStringLiteral("Beat error ms"), QStringLiteral("Amplitude deg"),
                                 QStringLiteral("Beat rate bph"), QStringLiteral("Note")};
    ResultTable = new QTableWidget(0, static_cast<int>(headers.size()), this);
    ResultTable->setHorizontalHeaderLabels(headers);
    ResultTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultTable->verticalHeader()->hide();
    ResultTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(ResultTable, 1);
    SummaryLabel = new QLabel(this);
    SummaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(SummaryLabel);

    auto *buttons = new QHBoxLayout;
    StartBtn = new QPushButton(QStringLiteral("Start"), this);
    NextBtn = new QPushButton(QStringLiteral("Next"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    SaveBtn = new QPushButton(QStringLiteral("Save…"), this);
    CopyBtn = new QPushButton(QStringLiteral("Copy"), this);
    for (QPushButton *button : {StartBtn, NextBtn, CancelBtn, SaveBtn, CopyBtn}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    column->addLayout(buttons);

    connect(StartBtn, &QPushButton::clicked, this, &PositionsDialog::StartBtnClick);
    connect(NextBtn, &QPushButton::clicked, this, &PositionsDialog::NextBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &PositionsDialog::CancelBtnClick);
    connect(SaveBtn, &QPushButton::clicked, this, &PositionsDialog::SaveBtnClick);
    connect(CopyBtn, &QPushButton::clicked, this, &PositionsDialog::CopyBtnClick);
    connect(PositionList, &QListWidget::itemChanged, this, &PositionsDialog::showState);
    resize(520, 520);
    showState();
}

std::vector<WatchPosition> PositionsDialog::checkedPositions() const
{
    std::vector<WatchPosition> order;
    for (int i = 0; i < PositionList->count(); ++i)
        if (PositionList->item(i)->checkState() == Qt::Checked)
            order.push_back(kWatchPositions[static_cast<size_t>(i)]);
    return order;
}

void PositionsDialog::StartBtnClick()
{
    if (run_.active())
        return;
    ResultTable->setRowCount(0);
    SummaryLabel->clear();
    const std::vector<WatchPosition> order = checkedPositions();
    if (order.empty())
        return;
    run_.begin(order, static_cast<int64_t>(SettleEdit->value()) * form_.state.samplesPerSecond);
    restartMeasurement();
    showState();
}

void PositionsDialog::NextBtnClick()
{
    if (!run_.next())
        return;
    restartMeasurement();
    showState();
}

void PositionsDialog::CancelBtnClick()
{
    if (run_.active())
        cancelRun();
    else
        hide();
}

void PositionsDialog::cancelRun()
{
    run_.cancel();
    ResultTable->setRowCount(0);
    showState();
}

void PositionsDialog::BufferHandled(int samples)
{
    // Time counts only while the window measures (not while Stop or a modal dialog holds it).
    if (!run_.running() || !form_.session().settings().running)
        return;
    // A change of view, or a restart of the measurement that was not ours (Start, the input
    // filter, another source, a gap in the audio): the position starts over.
    if (form_.state.viewSeconds != viewSeconds_ || form_.state.restarts != restarts_) {
        run_.restartPosition();
        restartMeasurement();
    } else if (run_.advance(samples)) {
        if (run_.phase() == PositionRun::Phase::Settling) {
            restartMeasurement();
            ratesBefore_ = form_.state.reading.rates;
            run_.startMeasuring(measureSamples());
        } else {
            run_.record(ReadPosition(form_.state, run_.current(), ratesBefore_));
            addResultRow(run_.readings().back());
        }
    }
    showState();
}

void PositionsDialog::MainWindowClosing()
{
    if (run_.active())
        cancelRun();
    hide();
}

void PositionsDialog::hideEvent(QHideEvent *event)
{
    // A run goes on only while it can be seen: it restarts the main window's measurement.
    if (!event->spontaneous() && run_.active())
        cancelRun();
    QDialog::hideEvent(event);
}

void PositionsDialog::restartMeasurement()
{
    form_.StartButton->click();
    viewSeconds_ = form_.state.viewSeconds;
    restarts_ = form_.state.restarts;
}

int64_t PositionsDialog::measureSamples() const
{
    // A sweep ends with the sample after its last one.
    if (MeasureEdit->value() == 0)
        return static_cast<int64_t>(form_.state.samplesPerSweep) + 1;
    return static_cast<int64_t>(MeasureEdit->value()) * form_.state.samplesPerSecond;
}

void PositionsDialog::addResultRow(const PositionReading &r)
{
    const int row = ResultTable->rowCount();
    ResultTable->insertRow(row);
    const QString cells[] = {
        text(PositionCode(r.position)),
        r.beatsFound ? number(r.rate, 3) : QString(),
        r.beatsFound ? number(r.beatError, 3) : QString(),
        r.counted() ? number(r.amplitude, 0) : QString(),
        r.beatsFound ? number(r.beatsPerHour, 0) : QString(),
        text(r.flag()),
    };
    for (int c = 0; c < ResultTable->columnCount(); ++c)
        ResultTable->setItem(row, c, new QTableWidgetItem(cells[c]));
}

void PositionsDialog::showState()
{
    using Phase = PositionRun::Phase;
    const Phase phase = run_.phase();
    const bool active = run_.active();
    const QString position = active ? text(PositionName(run_.current())).toLower() : QString();
    const int perSecond = std::max(form_.state.samplesPerSecond, 1);
    const auto seconds =
        QString::number((std::max<int64_t>(run_.remaining(), 0) + perSecond - 1) / perSecond);
    switch (phase) {
    case Phase::Idle: {
        const std::vector<WatchPosition> order = checkedPositions();
        if (order.empty()) {
            PromptLabel->setText(QStringLiteral("Choose at least one position."));
            CountdownLabel->clear();
        } else {
            PromptLabel->setText(
                QStringLiteral("Put the watch %1").arg(text(PositionName(order[0])).toLower()));
            CountdownLabel->setText(QStringLiteral("Press Start when it is in place."));
        }
        break;
    }
    case Phase::Waiting:
        PromptLabel->setText(QStringLiteral("Put the watch %1").arg(position));
        CountdownLabel->setText(QStringLiteral("Press Next when it is in place."));
        break;
    case Phase::Settling:
        PromptLabel->setText(QStringLiteral("Put the watch %1").arg(position));
        CountdownLabel->setText(QStringLiteral("Settling: %1 s").arg(seconds));
        break;
    case Phase::Measuring:
        PromptLabel->setText(QStringLiteral("Put the watch %1").arg(position));
        CountdownLabel->setText(QStringLiteral("Measuring: %1 s").arg(seconds));
        break;
    case Phase::Done:
        PromptLabel->setText(QStringLiteral("Done."));
        CountdownLabel->clear();
        break;
    }
    if (phase == Phase::Done) {
        const PositionSummary s = Summarise(run_.readings());
        const auto value = [](const std::optional<double> &x, int decimals, const char *unit) {
            return x ? number(*x, decimals) + QLatin1Char(' ') + QLatin1String(unit) : QStringLiteral("-");
        };
        SummaryLabel->setText(QStringLiteral("Mean rate %1, delta %2, largest beat error %3\n"
                                             "Mean amplitude flat %4, hanging %5, difference %6")
                                  .arg(value(s.meanRate, 3, "s/day"), value(s.delta, 3, "s/day"),
                                       value(s.largestBeatError, 3, "ms"), value(s.flatAmplitude, 1, "deg"),
                                       value(s.hangingAmplitude, 1, "deg"),
                                       value(s.amplitudeDrop, 1, "deg")) +
                                  (s.otherBeatRates > 0
                                       ? QStringLiteral("\nLeft out at another beat rate than %1 bph: %2")
                                             .arg(*s.beatsPerHour, 0, 'f', 0)
                                             .arg(s.otherBeatRates)
                                       : QString()));
    } else {
        SummaryLabel->clear();
    }
    PositionList->setEnabled(!active);
    SettleEdit->setEnabled(!active);
    MeasureEdit->setEnabled(!active);
    StartBtn->setEnabled(!active);
    NextBtn->setEnabled(active);
    SaveBtn->setEnabled(phase == Phase::Done);
    CopyBtn->setEnabled(phase == Phase::Done);
}

QString PositionsDialog::SummaryCsv() const
{
    if (run_.phase() != PositionRun::Phase::Done)
        return {};
    return QString::fromStdString(PositionTestCsv(run_.readings(), Summarise(run_.readings())));
}

bool PositionsDialog::SaveTo(const QString &path)
{
    const QString error = writeWholeFile(path, SummaryCsv().toUtf8());
    if (!error.isEmpty()) {
        ShowException(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    return true;
}

void PositionsDialog::SaveBtnClick()
{
    if (run_.phase() != PositionRun::Phase::Done)
        return;
    QDir().mkpath(form_.recordFolder);
    const QString suggested =
        QDir(form_.recordFolder)
            .filePath(recordStamp(QDateTime::currentDateTime()) + QStringLiteral("-positions.csv"));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save positions"), suggested,
                                                      QStringLiteral("CSV files (*.csv)"));
    if (!path.isEmpty())
        SaveTo(path);
}

void PositionsDialog::CopyBtnClick()
{
    if (run_.phase() == PositionRun::Phase::Done)
        QGuiApplication::clipboard()->setText(SummaryCsv());
}

} // namespace tamsel
