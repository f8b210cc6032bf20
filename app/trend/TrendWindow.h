#pragma once
// View ▸ Trend…: the run's trend in a window of its own beside the main window: a line for
// the watch's name, the report's page (header, summary and plots), "Save image…" (PNG or SVG)
// and "Copy".
#include <QWidget>
#include <functional>

#include "display/ReportPage.h"
#include "measurement/LongRun.h"

class QLineEdit;
class QPushButton;

namespace tamsel {

class PictureView;

class TrendWindow : public QWidget {
public:
    // facts: what the header says besides the title typed here; waiting: the text shown until
    // the first sweep ends.
    TrendWindow(const LongRun &run, std::function<ReportFacts()> facts, std::function<QString()> waiting,
                QWidget *parent = nullptr);

    // The run has a new sweep: redrawn once the event loop gets to it, and only when shown.
    void runChanged();
    // Writes the plots at their shown size as PNG or SVG by the name's extension (whole or not
    // at all). Returns the error text, empty on success.
    QString saveImage(const QString &path) const;

    QLineEdit *TitleEdit;
    QPushButton *SaveButton;
    QPushButton *CopyButton;

private:
    void drawPage(QPainter &painter, const QRect &area) const;
    void saveClicked();
    void copyClicked();

    const LongRun &run_;
    std::function<ReportFacts()> facts_;
    std::function<QString()> waiting_;
    PictureView *view_;
};

} // namespace tamsel
