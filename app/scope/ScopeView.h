#pragma once
// The beat scope in a widget: whatever its owner draws, redrawn on demand.
#include <QWidget>
#include <functional>

namespace tamsel {

class ScopeView : public QWidget {
public:
    using Draw = std::function<void(QPainter &, const QRect &)>;
    explicit ScopeView(Draw draw, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Draw draw_;
};

} // namespace tamsel
