#pragma once
// View ▸ Trend…: the run's trend in a window of its own beside the main window, with
// "Save image…" (PNG or SVG) and "Copy".
#include <QWidget>

#include "measurement/LongRun.h"

class QPushButton;

namespace tamsel {

class TrendView;

class TrendWindow : public QWidget {
public:
    explicit TrendWindow(const LongRun &run, QWidget *parent = nullptr);

    // The run has a new sweep: redrawn once the event loop gets to it, and only when shown.
    void runChanged();
    // Writes the plots at their shown size as PNG or SVG by the name's extension (whole or not
    // at all). Returns the error text, empty on success.
    QString saveImage(const QString &path) const;

    QPushButton *SaveButton;
    QPushButton *CopyButton;

private:
    void saveClicked();
    void copyClicked();

    const LongRun &run_;
    TrendView *view_;
};

} // namespace tamsel
