#pragma once
// The trend's page in a widget: whatever the owner draws on it, redrawn on demand.
#include <QWidget>
#include <functional>

namespace tamsel {

class TrendView : public QWidget {
public:
    using Draw = std::function<void(QPainter &, const QRect &)>;
    explicit TrendView(Draw draw, QWidget *parent = nullptr);
    // The page as an image of the widget's size.
    QImage image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Draw draw_;
};

} // namespace tamsel
