#pragma once
// The trend's plots in a widget, drawn from the run the window keeps.
#include <QWidget>

#include "measurement/LongRun.h"

namespace tamsel {

class TrendView : public QWidget {
public:
    explicit TrendView(const LongRun &run, QWidget *parent = nullptr);
    // The plots as an image of the widget's size.
    QImage image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const LongRun &run_;
};

} // namespace tamsel
