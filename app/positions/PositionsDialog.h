#pragma once
// The positional test: a dialog of its own, beside the main window, which goes on measuring
// live. It leads the user through the chosen positions, restarts the window's measurement
// for each, takes the measurement's reading at the end of the measuring time and shows the
// summary.
#include <QDialog>

#include "app/positions/PositionRun.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tamsel {

class TForm1;

class PositionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PositionsDialog(TForm1 &form);
    // Option ▸ Positions…: the form's dialog, made at its first use and kept, in front.
    static void Open(TForm1 &form);

    void StartBtnClick();
    void NextBtnClick();
    void CancelBtnClick();
    void SaveBtnClick();
    void CopyBtnClick();

    // The main window handled a capture buffer of this many samples.
    void BufferHandled(int samples);
    // The main window is closing: the run ends where it is, and nothing is written.
    void MainWindowClosing();

    // The summary as CSV text (empty until a run is done), and writing it to a file; an
    // error is shown and false returned.
    QString SummaryCsv() const;
    bool SaveTo(const QString &path);
    const PositionRun &run() const { return run_; }

    QListWidget *PositionList;
    QSpinBox *SettleEdit;
    QSpinBox *MeasureEdit; // 0: one sweep of the view in use when measuring starts
    QLabel *PromptLabel;
    QLabel *CountdownLabel;
    QTableWidget *ResultTable;
    QLabel *SummaryLabel;
    QPushButton *StartBtn;
    QPushButton *NextBtn;
    QPushButton *CancelBtn;
    QPushButton *SaveBtn;
    QPushButton *CopyBtn;

protected:
    void hideEvent(QHideEvent *event) override;

private:
    std::vector<WatchPosition> checkedPositions() const;
    void cancelRun();
    void restartMeasurement();
    int64_t measureSamples() const;
    void addResultRow(const PositionReading &reading);
    void showState();

    TForm1 &form_;
    PositionRun run_;
    int64_t ratesBefore_ = 0;
    int32_t viewSeconds_ = 0; // the view the current position is measured in
    int64_t restarts_ = 0;    // the measurement's restarts when we last restarted it
};

} // namespace tamsel
